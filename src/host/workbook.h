// A workbook: its sheets, defined names, protection and file identity.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/formula_engine.h"
#include "host/style.h"
#include "host/worksheet.h"

namespace korvane::host {

class WorkbookHost;

// The four files of the newer family and how they are stored.
enum class FileKind { Xlsx, Xlsm, Xltx, Xltm };
FileKind FileKindFromExtension(const std::string& path);  // by extension; .xlsx when unknown
const char* FileKindExtension(FileKind k);                // ".xlsx" ...
FileKind FileKindFromFormat(int fileFormat);              // 51 -> Xlsx, 52 -> Xlsm, ...

struct DefinedName {
  std::string name;            // without sheet prefix; "Print_Titles" for print titles
  std::string refersTo;        // formula text with its leading "=", kept exactly
  Worksheet* scope = nullptr;  // sheet-level name, or null for workbook-level
  bool hidden = false;
  std::string comment;
};

struct WorkbookProtection {
  bool structure = false;
  bool windows = false;
  std::string passwordHash;
};

class Workbook {
 public:
  Workbook(std::shared_ptr<SharedTables> tables, WorkbookHost* host = nullptr);
  ~Workbook();
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  WorkbookHost* Host() const { return host_; }
  SharedTables& Tables() const { return *tables_; }
  const std::shared_ptr<SharedTables>& TablesPtr() const { return tables_; }

  // File identity. Name is the file name with extension ("Book1" before the
  // first save); Path is the folder without trailing separator.
  const std::string& Name() const { return name_; }
  const std::string& Path() const { return path_; }
  std::string FullName() const;
  void SetFileIdentity(const std::string& folder, const std::string& name);
  void SetUnsavedName(const std::string& name) {
    name_ = name;
    path_.clear();
  }
  FileKind Kind() const { return kind_; }
  void SetKind(FileKind k) { kind_ = k; }
  bool Saved() const { return saved_; }
  void SetSaved(bool s) { saved_ = s; }

  // Sheets, 1-based like the application.
  int Count() const { return static_cast<int>(sheets_.size()); }
  Worksheet& Sheet(int index);                          // throws HostError when out of range
  Worksheet& Sheet(const std::string& name);            // throws HostError when missing
  Worksheet* FindSheet(const std::string& name) const;  // null when missing
  int IndexOf(const Worksheet& ws) const;               // 1-based; 0 when not here
  // Adds a new empty sheet before/after the given one (both null: before the
  // active sheet, as the application does). The new sheet becomes active.
  Worksheet& AddSheet(Worksheet* before = nullptr, Worksheet* after = nullptr, const std::string& name = "");
  // Appends a sheet without any checks (the file reader).
  Worksheet& AppendSheetUnchecked(const std::string& name);
  // Moves a sheet to a 1-based position.
  void MoveSheet(Worksheet& ws, int newIndex);
  // Removes a sheet (no question asked; Worksheet::Delete asks).
  void RemoveSheet(Worksheet& ws);
  // Deletes a group of sheets as the application does: one question (unless
  // the host's DisplayAlerts is off), false when the user declines. At least
  // one visible sheet must remain.
  bool DeleteSheets(const std::vector<Worksheet*>& sheets);
  // Inserts a sheet at a 0-based position (the copy and add operations).
  Worksheet& InsertSheetAt(std::unique_ptr<Worksheet> ws, int pos);
  // Sheet names compare case-insensitively for ASCII letters, as in the application.
  static bool SameSheetName(const std::string& a, const std::string& b);
  std::vector<Worksheet*> Sheets() const;
  std::string UniqueSheetName(const std::string& base) const;  // "Sheet1", "名单 (2)"

  Worksheet& ActiveSheet();
  void SetActiveSheet(Worksheet& ws);
  int ActiveIndex() const { return active_; }  // 0-based

  // Defined names. Add accepts "name" or "'sheet'!name" / "sheet!name".
  void AddName(const std::string& name, const std::string& refersTo);
  void AddName(DefinedName n);
  int NameCount() const { return static_cast<int>(names_.size()); }
  DefinedName& NameAt(int index);  // 1-based; the name may change, so computed formula results are dropped
  void DeleteName(int index);      // 1-based
  DefinedName* FindName(const std::string& name, const Worksheet* scope) const;
  std::vector<DefinedName>& Names() {  // the names may change: computed formula results are dropped
    ValuesChanged();
    return names_;
  }
  const std::vector<DefinedName>& Names() const { return names_; }
  // Print titles of a sheet from its Print_Titles name: first/last title row
  // and column (0 when none).
  struct PrintTitles {
    int row1 = 0, row2 = 0, col1 = 0, col2 = 0;
  };
  PrintTitles PrintTitlesOf(const Worksheet& ws) const;

  void Protect(bool structure = true, bool windows = false);
  void Unprotect();
  const WorkbookProtection& Protection() const { return protection_; }
  WorkbookProtection& MutableProtection() { return protection_; }
  void CheckStructureChangeable() const;  // throws HostError when structure is protected

  // Default font of the workbook (its Normal style).
  std::string defaultFontName = "宋体";
  double defaultFontSize = 11;
  bool date1904 = false;
  // Creation time of the document (W3CDTF, as its properties hold it): kept
  // from the file a workbook was read from; empty for a new workbook, which
  // takes the time of its first save. Saving sets only the modification time.
  std::string createdTime;

  // Saves to the current full name / to a new one. Atomic: a failed save leaves
  // the old file as it was. A lock file of another program refuses the save.
  void Save();
  void SaveAs(const std::string& fullPath, int fileFormat = 0);  // 0: by extension

  // Rewrites formulas and names after a structural change of `ws`.
  void AdjustReferences(const Worksheet& ws, bool rows, int at, int count);
  void RenameReferences(const std::string& oldName, const std::string& newName);
  void InvalidateReferences(const std::string& deletedSheet);

  std::size_t StorageBytes() const;

  // Formula results computed since the last change (see FormulaValueCache).
  FormulaValueCache& FormulaValues() const { return formulaValues_; }
  // A change that may alter formula results: the computed ones are dropped.
  void ValuesChanged() { formulaValues_.Clear(); }
  // A copy of everything the workbook holds (sheets, cells, names, formats,
  // protection, file identity, saved state), sharing the string and style
  // tables: what a failed command is rolled back to.
  std::unique_ptr<Workbook> Clone() const;
  // Takes the contents of `other` (a clone), which is left empty. The
  // workbook object stays where it is, so pointers to it stay valid.
  void TakeContentsOf(Workbook& other);

 private:
  friend class Worksheet;
  // Replaces the formula of every formula cell of `ws` by rewrite(text),
  // computed once per distinct formula text. `skip(text)` tells cheaply that a
  // text stays as it is.
  void RewriteFormulas(Worksheet& ws, bool (*skip)(std::string_view),
                       const std::function<std::string(const std::string&)>& rewrite);

  std::shared_ptr<SharedTables> tables_;
  WorkbookHost* host_;
  std::string name_ = "Book1";
  std::string path_;
  FileKind kind_ = FileKind::Xlsx;
  bool saved_ = true;
  std::vector<std::unique_ptr<Worksheet>> sheets_;
  int active_ = 0;
  std::vector<DefinedName> names_;
  WorkbookProtection protection_;
  mutable FormulaValueCache formulaValues_;
};

}  // namespace korvane::host
