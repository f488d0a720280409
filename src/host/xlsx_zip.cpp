// The zip container of workbook packages: a small in-memory writer on zlib
// and a libzip-based reader that enforces size limits while inflating.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <zip.h>
#include <zlib.h>

#include "host/xlsx_internal.h"

namespace korvane::host::ooxml {

namespace {

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

constexpr std::uint32_t kDosTime = 0;                          // 00:00:00
constexpr std::uint32_t kDosDate = (0u << 9) | (1u << 5) | 1;  // 1980-01-01
constexpr std::uint64_t kZip32Max = 0xFFFFFFFFull;

[[noreturn]] void TooLargeToSave() { throw FileError("工作簿过大（超过4GB），无法保存。"); }

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

constexpr unsigned char kOleMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

zip_t* Z(void* p) { return static_cast<zip_t*>(p); }

}  // namespace

// ---------------------------------------------------------------------------
// Writer
// ---------------------------------------------------------------------------

void ZipWriter::Add(const std::string& name, std::string_view data, bool first) {
  Entry e;
  e.name = name;
  e.first = first;
  e.uncompressed = data.size();
  if (data.size() > kZip32Max) TooLargeToSave();
  // crc32 and deflate take uInt lengths: feed large parts in slices.
  constexpr std::size_t kSlice = 1u << 30;
  uLong crc = crc32(0L, Z_NULL, 0);
  for (std::size_t pos = 0; pos < data.size();) {
    const std::size_t n = std::min(data.size() - pos, kSlice);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data() + pos), static_cast<uInt>(n));
    pos += n;
  }
  e.crc = static_cast<std::uint32_t>(crc);

  z_stream zs{};
  if (deflateInit2(&zs, level_, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw FileError("保存失败：压缩组件初始化失败。");
  std::string& out = e.deflated;
  std::size_t pos = 0;
  int rc = Z_OK;
  do {
    const std::size_t slice = std::min(data.size() - pos, kSlice);
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + pos));
    zs.avail_in = static_cast<uInt>(slice);
    pos += slice;
    const int flush = pos >= data.size() ? Z_FINISH : Z_NO_FLUSH;
    for (;;) {
      const std::size_t room = std::max<std::size_t>(deflateBound(&zs, zs.avail_in), 1u << 16);
      const std::size_t before = out.size();
      out.resize(before + room);
      zs.next_out = reinterpret_cast<Bytef*>(out.data() + before);
      zs.avail_out = static_cast<uInt>(room);
      rc = deflate(&zs, flush);
      out.resize(before + (room - zs.avail_out));
      if (rc == Z_STREAM_ERROR) break;
      if (flush == Z_FINISH ? rc == Z_STREAM_END : zs.avail_in == 0) break;
    }
  } while (pos < data.size() && rc != Z_STREAM_ERROR);
  deflateEnd(&zs);
  if (rc != Z_STREAM_END) throw FileError("保存失败：压缩数据时出错。");
  if (out.size() > kZip32Max) TooLargeToSave();
  out.shrink_to_fit();
  e.compressed = out.size();
  entries_.push_back(std::move(e));
}

std::string ZipWriter::Finish() {
  std::stable_partition(entries_.begin(), entries_.end(), [](const Entry& e) { return e.first; });
  std::size_t total = 22;
  for (const Entry& e : entries_) total += 30 + 46 + 2 * e.name.size() + e.deflated.size();
  std::string out;
  out.reserve(total);
  for (Entry& e : entries_) {
    e.offset = out.size();
    if (e.offset > kZip32Max) TooLargeToSave();
    const std::uint32_t flags = IsAscii(e.name) ? 0 : (1u << 11);  // bit 11: UTF-8 names
    Put32(out, 0x04034b50);
    Put16(out, 20);  // version needed: deflate
    Put16(out, flags);
    Put16(out, 8);  // deflate
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    Put32(out, e.crc);
    Put32(out, static_cast<std::uint32_t>(e.compressed));
    Put32(out, static_cast<std::uint32_t>(e.uncompressed));
    Put16(out, static_cast<std::uint32_t>(e.name.size()));
    Put16(out, 0);
    out += e.name;
    out += e.deflated;
    std::string().swap(e.deflated);
  }
  const std::uint64_t cdStart = out.size();
  for (const Entry& e : entries_) {
    const std::uint32_t flags = IsAscii(e.name) ? 0 : (1u << 11);
    std::string& cd = out;
    Put32(cd, 0x02014b50);
    Put16(cd, 20);  // made by: MS-DOS compatible, 2.0
    Put16(cd, 20);
    Put16(cd, flags);
    Put16(cd, 8);
    Put16(cd, kDosTime);
    Put16(cd, kDosDate);
    Put32(cd, e.crc);
    Put32(cd, static_cast<std::uint32_t>(e.compressed));
    Put32(cd, static_cast<std::uint32_t>(e.uncompressed));
    Put16(cd, static_cast<std::uint32_t>(e.name.size()));
    Put16(cd, 0);  // extra
    Put16(cd, 0);  // comment
    Put16(cd, 0);  // disk
    Put16(cd, 0);  // internal attributes
    Put32(cd, 0);  // external attributes
    Put32(cd, static_cast<std::uint32_t>(e.offset));
    cd += e.name;
  }
  const std::uint64_t cdSize = out.size() - cdStart;
  if (cdStart > kZip32Max || entries_.size() > 0xFFFF) TooLargeToSave();
  Put32(out, 0x06054b50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(entries_.size()));
  Put16(out, static_cast<std::uint32_t>(entries_.size()));
  Put32(out, static_cast<std::uint32_t>(cdSize));
  Put32(out, static_cast<std::uint32_t>(cdStart));
  Put16(out, 0);
  entries_.clear();
  return out;
}

// ---------------------------------------------------------------------------
// Reader
// ---------------------------------------------------------------------------

ZipReader::ZipReader(const std::string& bytes, const ReadContext& ctx, const ReadLimits& limits)
    : ctx_(ctx), limits_(limits) {
  if (bytes.size() >= 8 && std::memcmp(bytes.data(), kOleMagic, 8) == 0) ctx.Encrypted();
  if (bytes.size() < 22) ctx.Damaged();
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
  if (!src) {
    zip_error_fini(&err);
    ctx.Damaged();
  }
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
  zip_error_fini(&err);
  if (!za) {
    zip_source_free(src);
    ctx.Damaged();
  }
  zip_ = za;
}

ZipReader::ZipReader(const std::string& path, bool, const ReadContext& ctx, const ReadLimits& limits)
    : ctx_(ctx), limits_(limits) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) ctx.Fail("文件不存在。");
  if (S_ISDIR(st.st_mode)) ctx.Fail("这是一个文件夹，不是Excel工作簿。");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) ctx.Fail("没有读取该文件的权限，或文件正被其他程序独占。");
  unsigned char head[8] = {};
  const std::size_t got = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  if (got == 8 && std::memcmp(head, kOleMagic, 8) == 0) ctx.Encrypted();
  if (st.st_size < 22) ctx.Damaged();
  int errorCode = 0;
  zip_t* za = zip_open(path.c_str(), ZIP_RDONLY, &errorCode);
  if (!za) {
    if (errorCode == ZIP_ER_NOENT) ctx.Fail("文件不存在。");
    if (errorCode == ZIP_ER_OPEN || errorCode == ZIP_ER_READ) ctx.Fail("无法读取该文件。");
    ctx.Damaged();
  }
  zip_ = za;
}

ZipReader::~ZipReader() {
  if (zip_) zip_discard(Z(zip_));
}

long long ZipReader::Locate(const std::string& name) const {
  zip_int64_t idx = zip_name_locate(Z(zip_), name.c_str(), ZIP_FL_NOCASE);
  if (idx < 0 && !name.empty() && name.front() == '/') idx = zip_name_locate(Z(zip_), name.c_str() + 1, ZIP_FL_NOCASE);
  return idx;
}

bool ZipReader::Has(const std::string& name) const { return Locate(name) >= 0; }

std::vector<std::string> ZipReader::EntryNames(std::size_t maxEntries) const {
  const zip_int64_t n = zip_get_num_entries(Z(zip_), 0);
  if (n < 0) ctx_.Damaged();
  if (static_cast<std::uint64_t>(n) > maxEntries) ctx_.TooLarge();
  std::vector<std::string> names;
  names.reserve(static_cast<std::size_t>(n));
  for (zip_int64_t i = 0; i < n; ++i) {
    const char* name = zip_get_name(Z(zip_), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    if (name == nullptr) ctx_.Damaged();
    names.emplace_back(name);
  }
  return names;
}

std::string ZipReader::Read(const std::string& name, bool required) {
  if (Locate(name) < 0) {
    if (required) ctx_.Damaged("缺少" + name);
    return {};
  }
  std::string data;
  bool first = true;
  Stream(name, [&](const char* bytes, std::size_t n) {
    if (first) {
      first = false;
      if (size_ > 0) data.reserve(static_cast<std::size_t>(std::min<std::uint64_t>({size_, limits_.maxPartUncompressed, 64u << 20})));
    }
    if (data.size() + n > limits_.maxTreePartUncompressed) ctx_.TooLarge();
    data.append(bytes, n);
  });
  return data;
}

void ZipReader::Stream(const std::string& name, const std::function<void(const char*, std::size_t)>& sink) {
  const zip_int64_t idx = Locate(name);
  if (idx < 0) ctx_.Damaged("缺少" + name);
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(Z(zip_), static_cast<zip_uint64_t>(idx), 0, &st) != 0) ctx_.Damaged(name);
  if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) ctx_.Encrypted();
  zip_file_t* zf = zip_fopen_index(Z(zip_), static_cast<zip_uint64_t>(idx), 0);
  if (!zf) {
    const int code = zip_error_code_zip(zip_get_error(Z(zip_)));
    if (code == ZIP_ER_NOPASSWD || code == ZIP_ER_WRONGPASSWD || code == ZIP_ER_ENCRNOTSUPP) ctx_.Encrypted();
    ctx_.Damaged(name + "无法解压");
  }
  struct Closer {
    zip_file_t* f;
    ~Closer() { zip_fclose(f); }
  } closer{zf};

  // The header's size is only a hint (Read reserves at most a modest amount
  // from it); what inflating really produces is counted.
  size_ = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
  std::vector<char> buf(1 << 16);
  std::uint64_t partBytes = 0;
  for (;;) {
    const zip_int64_t n = zip_fread(zf, buf.data(), buf.size());
    if (n < 0) ctx_.Damaged(name + "的数据有误");
    if (n == 0) break;
    total_ += static_cast<std::uint64_t>(n);
    partBytes += static_cast<std::uint64_t>(n);
    if (partBytes > limits_.maxPartUncompressed || total_ > limits_.maxTotalUncompressed) ctx_.TooLarge();
    sink(buf.data(), static_cast<std::size_t>(n));
  }
}

}  // namespace korvane::host::ooxml
