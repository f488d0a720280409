// The zip container of workbook packages: a small in-memory writer on
// libdeflate, compressing parts on worker threads, and a libzip-based reader
// that enforces size limits while inflating.
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>

#include <libdeflate.h>
#include <zip.h>

#include "host/ascii.h"
#include "host/ooxml/xlsx_internal.h"

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

struct ZipWriter::Entry {
  std::string name;
  std::string data;  // the part's text until it is compressed
  std::string deflated;
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0, uncompressed = 0, offset = 0;
  bool first = false;
  bool failed = false;  // could not be compressed (out of memory)
};

class ZipWriter::Compressor {
 public:
  explicit Compressor(int level) : c_(libdeflate_alloc_compressor(level)) {
    if (!c_) throw std::bad_alloc();
  }
  ~Compressor() { libdeflate_free_compressor(c_); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
  libdeflate_compressor* Get() const { return c_; }

 private:
  libdeflate_compressor* c_;
};

void ZipWriter::Compress(Entry& e, const Compressor& c) {
  try {
    e.crc = libdeflate_crc32(0, e.data.data(), e.data.size());
    std::string out(libdeflate_deflate_compress_bound(c.Get(), e.data.size()), '\0');
    const std::size_t n = libdeflate_deflate_compress(c.Get(), e.data.data(), e.data.size(), out.data(), out.size());
    if (n == 0) {  // the bound always fits; even an empty part gives one block
      e.failed = true;
      return;
    }
    out.resize(n);
    out.shrink_to_fit();
    e.deflated = std::move(out);
    e.compressed = e.deflated.size();
    std::string().swap(e.data);
  } catch (const std::bad_alloc&) {
    e.failed = true;
  }
}

// Worker threads and the queue of entries waiting for them.
struct ZipWriter::Pool {
  int level;
  std::mutex m;
  std::condition_variable work;  // an entry is queued, or the pool closes
  std::condition_variable idle;  // a worker finished an entry
  std::deque<Entry*> queue;
  int busy = 0;
  bool closing = false;
  std::vector<std::thread> threads;

  Pool(int lvl, int count) : level(lvl) {
    try {
      for (int i = 0; i < count; ++i) threads.emplace_back([this] { Run(); });
    } catch (const std::system_error&) {
      // Fewer threads than asked for: the caller compresses what they leave.
    }
  }
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(m);
      closing = true;
      queue.clear();  // a save that failed half-way: what waits is not needed
    }
    work.notify_all();
    for (std::thread& t : threads) t.join();
  }

  void Run() {
    std::unique_ptr<Compressor> compressor;
    std::unique_lock<std::mutex> lock(m);
    for (;;) {
      work.wait(lock, [this] { return closing || !queue.empty(); });
      if (queue.empty()) return;
      Entry* e = queue.front();
      queue.pop_front();
      ++busy;
      lock.unlock();
      try {
        if (!compressor) compressor = std::make_unique<Compressor>(level);
        Compress(*e, *compressor);
      } catch (const std::bad_alloc&) {
        e->failed = true;
      }
      lock.lock();
      --busy;
      idle.notify_all();
    }
  }

  // Hands an entry to the workers. When more wait than there are workers,
  // the oldest waiting one comes back for the caller to compress itself.
  Entry* Queue(Entry* e) {
    std::lock_guard<std::mutex> lock(m);
    queue.push_back(e);
    work.notify_one();
    if (queue.size() <= threads.size()) return nullptr;
    Entry* own = queue.front();
    queue.pop_front();
    return own;
  }

  // A waiting entry for the caller to compress; else waits until the workers
  // are done and gives null.
  Entry* TakeOrWait() {
    std::unique_lock<std::mutex> lock(m);
    if (!queue.empty()) {
      Entry* e = queue.front();
      queue.pop_front();
      return e;
    }
    idle.wait(lock, [this] { return busy == 0 && queue.empty(); });
    return nullptr;
  }
};

ZipWriter::ZipWriter(int level, int workers) : level_(level) {
  if (workers < 0) workers = std::clamp(static_cast<int>(std::thread::hardware_concurrency()) - 1, 0, 3);
  if (workers > 0) pool_ = std::make_unique<Pool>(level, workers);
}

ZipWriter::~ZipWriter() = default;

void ZipWriter::Add(const std::string& name, std::string&& data, bool first) {
  if (data.size() > kZip32Max) TooLargeToSave();
  auto owned = std::make_unique<Entry>();
  Entry& e = *owned;
  e.name = name;
  e.first = first;
  e.uncompressed = data.size();
  e.data = std::move(data);
  entries_.push_back(std::move(owned));
  Entry* own = pool_ ? pool_->Queue(&e) : &e;
  if (own) {
    if (!compressor_) compressor_ = std::make_unique<Compressor>(level_);
    Compress(*own, *compressor_);
  }
}

std::string ZipWriter::Finish() {
  if (pool_) {
    while (Entry* e = pool_->TakeOrWait()) {
      if (!compressor_) compressor_ = std::make_unique<Compressor>(level_);
      Compress(*e, *compressor_);
    }
  }
  for (const auto& e : entries_) {
    if (e->failed) throw FileError("保存失败：压缩数据时出错。");
    if (e->compressed > kZip32Max) TooLargeToSave();
  }
  std::stable_partition(entries_.begin(), entries_.end(), [](const auto& e) { return e->first; });
  std::size_t total = 22;
  for (const auto& e : entries_) total += 30 + 46 + 2 * e->name.size() + e->deflated.size();
  std::string out;
  out.reserve(total);
  for (const auto& p : entries_) {
    Entry& e = *p;
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
  for (const auto& p : entries_) {
    const Entry& e = *p;
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
  Adopt(za);
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
  Adopt(za);
}

void ZipReader::Adopt(void* zip) {
  zip_t* za = Z(zip);
  const zip_int64_t n = zip_get_num_entries(za, 0);
  std::unordered_set<std::string> seen;
  for (zip_int64_t i = 0; i < n; ++i) {
    const char* name = zip_get_name(za, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    if (name == nullptr) continue;
    // Names are looked up ignoring ASCII case and a leading slash.
    std::string key = AsciiLower(std::string_view(name));
    if (!key.empty() && key.front() == '/') key.erase(0, 1);
    if (!seen.insert(std::move(key)).second) {
      const std::string shown = name;
      zip_discard(za);
      ctx_.Damaged("条目“" + shown + "”出现了两次");
    }
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
      if (size_ > 0)
        data.reserve(
            static_cast<std::size_t>(std::min<std::uint64_t>({size_, limits_.maxPartUncompressed, 64u << 20})));
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
