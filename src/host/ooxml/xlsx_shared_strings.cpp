// xl/sharedStrings.xml: the table of cell texts. Writer and reader.
#include "host/ooxml/xlsx_internal.h"

namespace korvane::host::ooxml {

std::uint32_t SharedStringsWriter::Index(std::uint32_t poolId) {
  ++refs_;
  if (poolId >= index_.size()) index_.resize(std::max<std::size_t>(pool_.Size(), poolId + 1), 0);
  std::uint32_t& slot = index_[poolId];
  if (slot == 0) {
    order_.push_back(poolId);
    slot = static_cast<std::uint32_t>(order_.size());
  }
  return slot - 1;
}

std::string SharedStringsWriter::Assemble() const {
  std::string out;
  std::size_t bytes = 0;
  for (std::uint32_t id : order_) bytes += pool_.Get(id).size() + 16;
  out.reserve(bytes + 256);
  XmlWriter w(out);
  w.Declaration();
  w.Open("sst").Attr("xmlns", kNsMain).AttrInt("count", static_cast<long long>(refs_));
  w.AttrInt("uniqueCount", static_cast<long long>(order_.size())).End();
  for (std::uint32_t id : order_) {
    const std::string& s = pool_.Get(id);
    if (NeedsSpacePreserve(s))
      out += "<si><t xml:space=\"preserve\">";
    else
      out += "<si><t>";
    AppendCellString(out, s);
    out += "</t></si>";
  }
  w.Close("sst");
  return out;
}

std::vector<std::string> ReadSharedStrings(pugi::xml_node root) {
  std::vector<std::string> out;
  for (pugi::xml_node si = root.first_child(); si; si = si.next_sibling())
    if (IsNamed(si, "si")) out.push_back(StringItemText(si));
  return out;
}

}  // namespace korvane::host::ooxml
