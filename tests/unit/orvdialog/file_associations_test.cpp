// File types whose check box is cleared lose their component and their SET_ switch; the others,
// and everything past the first empty type, are left alone.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cases.h"
#include "orvdialog_run.h"

namespace {

const std::vector<sim::StateRequest> kPasTakenOut = {{"component", "Registry_FileType_pas", kAbsent}};

struct AssocCase {
    const char* situation;
    Properties properties;
    std::vector<std::string> extensions;  // component suffixes requested absent, in order
    std::vector<std::string> removed;     // SET_ properties removed, in order
};

class ProcessFileAssoc : public ::testing::TestWithParam<AssocCase> {};

TEST_P(ProcessFileAssoc, DisassociatesEveryTypeNotWanted) {
    const AssocCase& c = GetParam();
    sim::Machine machine;
    machine.session.properties = c.properties;

    EXPECT_EQ(run(machine, "ProcessFileAssoc"), orv::kSuccess);

    std::vector<sim::StateRequest> requests;
    for (const std::string& extension : c.extensions)
        requests.push_back({"component", "Registry_FileType_" + extension, kAbsent});
    EXPECT_EQ(machine.session.requests, requests);
    std::vector<sim::PropertyWrite> removals;
    for (const std::string& property : c.removed) removals.push_back({property, std::nullopt});
    EXPECT_EQ(machine.session.propertyWrites, removals);
}

INSTANTIATE_TEST_SUITE_P(
    OrvDialog, ProcessFileAssoc,
    ::testing::Values(
        AssocCase{"first type empty: nothing, even with a second",
                  {{"File_Assoc_Type_2", ".pas - Source"}, {"SET_PAS", "1"}}, {}, {}},
        AssocCase{"wanted", {{"File_Assoc_Type_1", ".pas - Source"}, {"Set_File_Assoc_1", "1"}}, {}, {}},
        AssocCase{"not chosen", {{"File_Assoc_Type_1", ".pas - Source"}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"0", {{"File_Assoc_Type_1", ".pas"}, {"Set_File_Assoc_1", "0"}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"true", {{"File_Assoc_Type_1", ".pas"}, {"Set_File_Assoc_1", "true"}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"yes", {{"File_Assoc_Type_1", ".pas"}, {"Set_File_Assoc_1", "yes"}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"1 with a blank", {{"File_Assoc_Type_1", ".pas"}, {"Set_File_Assoc_1", "1 "}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"a choice too long to read is not a Yes",
                  {{"File_Assoc_Type_1", ".pas"}, {"Set_File_Assoc_1", std::string(260, '1')}}, {"pas"}, {"SET_PAS"}},
        AssocCase{"four letters give three", {{"File_Assoc_Type_1", ".abcd"}}, {"abc"}, {"SET_ABC"}},
        AssocCase{"two letters give two", {{"File_Assoc_Type_1", ".ab"}}, {"ab"}, {"SET_AB"}},
        AssocCase{"a point alone gives none", {{"File_Assoc_Type_1", "."}}, {""}, {"SET_"}},
        AssocCase{"mixed case: component as written, switch upper-cased",
                  {{"File_Assoc_Type_1", ".Abc - Description"}}, {"Abc"}, {"SET_ABC"}},
        AssocCase{"accented letters upper-cased by the locale", {{"File_Assoc_Type_1", ".\xE9t\xE9"}}, {"\xE9t\xE9"},
                  {"SET_\xC9T\xC9"}},
        AssocCase{"several types, only the cleared ones",
                  {{"File_Assoc_Type_1", ".pas - Source"}, {"Set_File_Assoc_1", "1"},
                   {"File_Assoc_Type_2", ".dpr - Project"},
                   {"File_Assoc_Type_3", ".dpk - Package"}, {"Set_File_Assoc_3", "1"},
                   {"File_Assoc_Type_4", ".dfm - Form"}},
                  {"dpr", "dfm"}, {"SET_DPR", "SET_DFM"}},
        AssocCase{"a type too long to read is skipped, the walk goes on",
                  {{"File_Assoc_Type_1", "." + std::string(260, 'x')}, {"File_Assoc_Type_2", ".dfm"}}, {"dfm"},
                  {"SET_DFM"}}),
    NamedBySituation());

// A run of a thousand types ends, and a type that cannot be read ends it as well.
TEST(ProcessFileAssocRows, LongRunsAndUnreadableTypesEnd) {
    sim::Machine machine;
    for (int n = 1; n <= 1000; ++n) {
        machine.session.properties["File_Assoc_Type_" + std::to_string(n)] = ".pas";
        machine.session.properties["Set_File_Assoc_" + std::to_string(n)] = "1";
    }
    machine.session.properties["Set_File_Assoc_1000"] = "0";
    EXPECT_EQ(run(machine, "ProcessFileAssoc"), orv::kSuccess);
    EXPECT_EQ(machine.session.requests, kPasTakenOut);
    EXPECT_EQ(logOf(machine, "OrvDialog.ProcessFileAssoc: ").back(), "1000 file types read; 999 stay associated");

    sim::Machine failing;
    failing.session.properties = {{"File_Assoc_Type_1", ".pas"}, {"File_Assoc_Type_2", ".dfm"}};
    failing.fail(sim::Op::GetProperty, "File_Assoc_Type_2");
    EXPECT_EQ(run(failing, "ProcessFileAssoc"), orv::kSuccess);
    EXPECT_EQ(failing.session.requests, kPasTakenOut);
}

// A package without the type's component or a switch that cannot be removed does not stop the walk.
TEST(ProcessFileAssocRows, RefusedRequestsAndRemovalsAreAllPassedOver) {
    sim::Machine machine;
    machine.session.properties = {{"File_Assoc_Type_1", ".pas"}, {"File_Assoc_Type_2", ".dfm"}};
    machine.fail(sim::Op::SetComponentState, "Registry_FileType_pas", orv::kErrorUnknownComponent);
    machine.fail(sim::Op::SetProperty, "SET_PAS");
    EXPECT_EQ(run(machine, "ProcessFileAssoc"), orv::kSuccess);
    EXPECT_EQ(machine.session.requests.size(), 2u);
    EXPECT_EQ(machine.session.requests.back().name, "Registry_FileType_dfm");
}

// CheckFileAssoc reads and writes nothing, whatever the package has set.
TEST(CheckFileAssoc, ChangesNothing) {
    sim::Machine machine;
    machine.session.properties = {{"File_Assoc_Type_1", ".pas"}, {"SET_PAS", "1"}};
    const Properties before = machine.session.properties;
    EXPECT_EQ(run(machine, "CheckFileAssoc"), orv::kSuccess);
    EXPECT_EQ(machine.session.properties, before);
    EXPECT_TRUE(machine.session.requests.empty());
    EXPECT_TRUE(machine.session.propertyWrites.empty());
}

// The log names each type taken out, with the choice that took it out, and the count kept.
TEST(ProcessFileAssocLog, NamesEachTypeTakenOut) {
    sim::Machine machine;
    machine.session.properties = {{"File_Assoc_Type_1", ".pas - Source"},
                                  {"Set_File_Assoc_1", "1"},
                                  {"File_Assoc_Type_2", ".Dfm - Form"},
                                  {"Set_File_Assoc_2", "no"}};
    run(machine, "ProcessFileAssoc");
    EXPECT_EQ(logOf(machine, "OrvDialog.ProcessFileAssoc: "),
              (std::vector<std::string>{
                  "type 2 \".Dfm - Form\" not wanted (Set_File_Assoc_2 \"no\"): Registry_FileType_Dfm requested "
                  "absent, SET_DFM removed",
                  "2 file types read; 1 stay associated",
              }));
}

}  // namespace
