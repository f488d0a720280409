// Helpers of the workbook codec tests: packages built and taken apart with
// libzip directly (not with the codec's own zip writer), and scratch folders.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <zip.h>

#include "host/errors.h"
#include "host/ooxml/xlsx.h"

namespace korvane::host::testing_xlsx {

using Parts = std::vector<std::pair<std::string, std::string>>;

// A zip archive of the parts, deflated (or stored) by libzip.
inline std::string Zip(const Parts& parts, bool store = false) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &err);
  zip_t* za = zip_open_from_source(out, ZIP_TRUNCATE, &err);
  if (!za) throw std::runtime_error("zip_open_from_source");
  zip_source_keep(out);
  for (const auto& [name, data] : parts) {
    zip_source_t* src = zip_source_buffer(za, data.data(), data.size(), 0);
    const zip_int64_t idx = zip_file_add(za, name.c_str(), src, ZIP_FL_ENC_UTF_8);
    if (idx < 0) throw std::runtime_error("zip_file_add " + name);
    zip_set_file_compression(za, static_cast<zip_uint64_t>(idx), store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 9);
  }
  if (zip_close(za) != 0) throw std::runtime_error("zip_close");
  zip_source_open(out);
  zip_source_seek(out, 0, SEEK_END);
  const zip_int64_t size = zip_source_tell(out);
  zip_source_seek(out, 0, SEEK_SET);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  zip_source_read(out, bytes.data(), static_cast<zip_uint64_t>(size));
  zip_source_close(out);
  zip_source_free(out);
  zip_error_fini(&err);
  return bytes;
}

// Every part of an archive, by name.
inline std::map<std::string, std::string> Unzip(const std::string& bytes) {
  zip_error_t err;
  zip_error_init(&err);
  zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &err);
  zip_t* za = zip_open_from_source(src, ZIP_RDONLY, &err);
  if (!za) throw std::runtime_error("not a zip archive");
  std::map<std::string, std::string> parts;
  const zip_int64_t n = zip_get_num_entries(za, 0);
  for (zip_int64_t i = 0; i < n; ++i) {
    zip_stat_t st;
    zip_stat_index(za, static_cast<zip_uint64_t>(i), 0, &st);
    zip_file_t* f = zip_fopen_index(za, static_cast<zip_uint64_t>(i), 0);
    std::string data(static_cast<std::size_t>(st.size), '\0');
    zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    parts[st.name] = std::move(data);
  }
  zip_discard(za);
  zip_error_fini(&err);
  return parts;
}

inline Parts AsParts(const std::map<std::string, std::string>& m) { return Parts(m.begin(), m.end()); }

inline const char* kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline const char* kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A workbook package written by hand: [Content_Types].xml, the package and
// workbook relationships, the workbook part with the given sheets (name ->
// worksheet XML), and optional styles and shared strings.
struct HandPackage {
  std::string workbookExtra;  // inserted into <workbook> before <sheets> (workbookPr, bookViews ...)
  std::string workbookAfter;  // inserted after </sheets> (definedNames ...)
  std::vector<std::pair<std::string, std::string>> sheets;  // name, worksheet XML
  std::string styles;                                       // full xl/styles.xml or empty
  std::string sharedStrings;                                // full xl/sharedStrings.xml or empty
  Parts extra;                                              // more parts as they are
  std::string mainNs = kMain;
  std::string relNs = kRel;
  std::string relTypeBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

  std::string Bytes() const {
    Parts parts;
    std::string types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><Types "
        "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
    parts.emplace_back("[Content_Types].xml", types);
    parts.emplace_back("_rels/.rels",
                       "<?xml version=\"1.0\"?><Relationships "
                       "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"rId1\" Type=\"" +
                           relTypeBase + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>");
    std::string wb = "<?xml version=\"1.0\"?><workbook xmlns=\"" + mainNs + "\" xmlns:r=\"" + relNs + "\">" +
                     workbookExtra + "<sheets>";
    std::string rels =
        "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
      const std::string id = "rId" + std::to_string(i + 1);
      wb += "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + std::to_string(i + 1) + "\" r:id=\"" + id + "\"/>";
      rels += "<Relationship Id=\"" + id + "\" Type=\"" + relTypeBase + "/worksheet\" Target=\"worksheets/sheet" +
              std::to_string(i + 1) + ".xml\"/>";
      parts.emplace_back("xl/worksheets/sheet" + std::to_string(i + 1) + ".xml", sheets[i].second);
    }
    wb += "</sheets>" + workbookAfter + "</workbook>";
    if (!styles.empty()) {
      rels += "<Relationship Id=\"rIdS\" Type=\"" + relTypeBase + "/styles\" Target=\"styles.xml\"/>";
      parts.emplace_back("xl/styles.xml", styles);
    }
    if (!sharedStrings.empty()) {
      rels += "<Relationship Id=\"rIdT\" Type=\"" + relTypeBase + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
      parts.emplace_back("xl/sharedStrings.xml", sharedStrings);
    }
    rels += "</Relationships>";
    parts.emplace_back("xl/workbook.xml", wb);
    parts.emplace_back("xl/_rels/workbook.xml.rels", rels);
    for (const auto& p : extra) parts.push_back(p);
    return Zip(parts);
  }
};

// A worksheet part around the given sheetData content (and what follows it).
inline std::string SheetXml(const std::string& sheetData, const std::string& after = "", const std::string& before = "",
                            const std::string& ns = kMain) {
  return "<?xml version=\"1.0\"?><worksheet xmlns=\"" + ns + "\" xmlns:r=\"" + kRel + "\">" + before + "<sheetData>" +
         sheetData + "</sheetData>" + after + "</worksheet>";
}

// A fresh folder under the system's temporary folder, removed at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "korvane-xlsx-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
    path_ = tmpl;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& Path() const { return path_; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The message of the FileError reading `bytes` throws ("" when it reads).
inline std::string ReadError(const std::string& bytes, const ooxml::ReadLimits& limits = {}) {
  try {
    ooxml::ReadWorkbookBytes(bytes, std::make_shared<SharedTables>(), nullptr, limits);
  } catch (const FileError& e) {
    return e.what();
  }
  return "";
}

}  // namespace korvane::host::testing_xlsx
