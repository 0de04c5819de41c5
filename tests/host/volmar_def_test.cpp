// VOLMAR.def gives the host's exports their ordinals by hand; the plug-in
// binds them from the import table.  The two must name the same functions at
// the same ordinals, with the stdcall decoration where the table has one.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "plugin/contract/host_api.h"
#include "plugin/contract/host_values.h"

namespace {

// ordinal -> the export's name as the .def spells it
std::map<int, std::string> ExpectedExports() {
  std::map<int, std::string> rows;
#define ROW(pos, ordinal, Name, conv, pop, ...) \
  rows[ordinal] = std::string("Export" #Name) + (pop != 0 ? "@" + std::to_string(pop) : "");
  HOST_IMPORT_TABLE(ROW, ROW)
#undef ROW
  rows[host::kHostQueryOrdinal] = "ExportHostQuery";
  return rows;
}

// The NONAME rows of the .def file: ordinal -> name.
std::map<int, std::string> DefExports() {
  std::ifstream file(TASTIRO_SOURCE_DIR "/host/exports/VOLMAR.def");
  std::map<int, std::string> rows;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string name, ordinal, noname;
    if (!(words >> name >> ordinal >> noname) || ordinal[0] != '@' || noname != "NONAME") continue;
    EXPECT_TRUE(rows.emplace(std::stoi(ordinal.substr(1)), name).second) << "twice: " << line;
  }
  return rows;
}

TEST(VolmarDef, ExportsEveryImportOfThePlugInAtItsOrdinal) {
  std::map<int, std::string> expected = ExpectedExports();
  std::map<int, std::string> def = DefExports();
  ASSERT_EQ(kHostImportCount + 1, expected.size());
  for (const auto &[ordinal, name] : expected) {
    auto row = def.find(ordinal);
    ASSERT_NE(def.end(), row) << "VOLMAR.def lacks ordinal " << ordinal << " (" << name << ")";
    EXPECT_EQ(name, row->second) << "ordinal " << ordinal;
  }
  for (const auto &[ordinal, name] : def)
    EXPECT_TRUE(expected.count(ordinal)) << "VOLMAR.def exports " << name << " at " << ordinal
                                         << ", which no import of the plug-in names";
}

}  // namespace
