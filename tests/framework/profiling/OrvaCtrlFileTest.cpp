// Control files: the header as written (the task file type byte for byte), the header
// checks with their error numbers and texts, opening, typed access and error context.
#include "profiling/OrvaCtrlFile.h"
#include "MessageNumbers.h"
#include "ProfilingTestSupport.h"
#include "runtime/Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace msg = ovs::msg;

namespace {

using ovs::test::expectException;

const GUID TaskGuid = {0x00000000, 0x0000, 0x1100, {0x80, 0x00, 0x00, 0x00, 0xC0, 0x6B, 0x51, 0x61}};
const ovs::ControlFileType TaskFileType = {
    ovs::HeaderFlagCheckSpecification, "ORVA Frask Pdf Task File", &TaskGuid, {1, 0}, {0, 0}};
const char TaskHeader[] = "[ORVA-SYSTEMS Control File]\r\n"
                          "Guid={00000000-0000-1100-8000-0000C06B5161}\r\n"
                          "Description=ORVA Frask Pdf Task File\r\n"
                          "Version=1.00\r\n"
                          "Encoding=UTF-8\r\n";

// A control file of the given type.
struct TypedFile : ovs::OrvaCtrlFile {
    explicit TypedFile(const ovs::ControlFileType* type) { setType(type); }
};

TEST(OrvaCtrlFileTest, TaskFileHeaderIsExactlyFourLinesAndIsReadBack) {
    ovs::test::InPrivateFolder here;
    here.makeFile("Task1.ovc", "old content that must go\r\n");
    {
        TypedFile file(&TaskFileType);
        file.create(here.folder() / "Task1.ovc");
        EXPECT_EQ(TaskHeader, here.content("Task1.ovc"));
        file.profiling().setTopic("Task");
        ovs::Exception error = expectException(msg::ItemNotFound, [&] { file.readInteger("LastError"); });
        EXPECT_EQ("file \"Task1.ovc\", topic [Task], value \"LastError\"", error.location());
    }
    EXPECT_EQ(TaskHeader, here.content("Task1.ovc"));
    {
        TypedFile file(&TaskFileType);
        file.open(here.folder() / "Task1.ovc", ovs::OrvaCtrlFile::OpenMustExist);
        file.profiling().setTopic("Task");
        file.writeInteger("Id", 4711);
        file.writeText("State", "Request");
    }
    TypedFile file(&TaskFileType);
    file.open(here.folder() / "Task1.ovc", ovs::OrvaCtrlFile::OpenMustExist);
    EXPECT_TRUE(file.headerRead());
    EXPECT_TRUE(file.guidRead());
    file.profiling().setTopic("Task");
    EXPECT_EQ(4711u, file.readInteger("Id"));
}

TEST(OrvaCtrlFileTest, HeaderLinesFollowTheType) {
    const GUID guid = {0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
    // All lines; major 0: no version; no description.
    const std::pair<ovs::ControlFileType, const char*> cases[] = {
        {{ovs::HeaderFlagInMemory, "D", &guid, {2, 5}, {0, 0}},
         "Guid={12345678-9ABC-DEF0-0102-030405060708}\r\nDescription=D\r\nVersion=2.05\r\n"},
        {{ovs::HeaderFlagInMemory, "D", nullptr, {0, 9}, {0, 0}}, "Description=D\r\n"},
        {{ovs::HeaderFlagInMemory | ovs::HeaderFlagIniText, nullptr, nullptr, {3, 12}, {0, 0}}, "Version=3.12\r\n"}};
    for (const auto& [type, header] : cases) {
        TypedFile file(&type);
        file.create("");
        file.profiling().flush();
        ovs::String text;
        file.profiling().machineStore()->getText(text);
        EXPECT_EQ("[ORVA-SYSTEMS Control File]\r\n" + std::string(header) + "Encoding=UTF-8\r\n\r\n", text);
    }
}

struct HeaderCheckCase {
    const char* what;
    std::uint32_t flags;
    std::string header; // the header section's lines, or the whole text when it has '['
    int number = 0;     // 0: accepted
    const char *argument1 = "", *argument2 = "";
};

TEST(OrvaCtrlFileTest, HeaderChecksRaiseTheirErrors) {
    const std::string guid = "Guid={00000000-0000-1100-8000-0000C06B5161}\r\n";
    const std::vector<HeaderCheckCase> cases = {
        {"complete", 0, guid + "Version=1.00\r\n"},
        {"missing section", 0, "[Other]\r\nk=v\r\n", msg::RegistryNameNotFound, "ORVA-SYSTEMS Control File"},
        {"missing section, optional", ovs::HeaderFlagOptional, "[Other]\r\nk=v\r\n"},
        {"empty Guid", 0, "Guid=\r\nVersion=1.0\r\n", msg::FileCorrupt, " (no file type GUID specified)"},
        {"no Guid, optional", ovs::HeaderFlagOptional, "Version=1.0\r\n"},
        {"Guid without braces", 0, "Guid=00000000-0000-1100-8000-0000C06B5161\r\n", msg::FileCorrupt,
         " (invalid file type GUID)"},
        {"Guid with trailing text", 0, "Guid={00000000-0000-1100-8000-0000C06B5161} x\r\n", msg::FileCorrupt,
         " (invalid file type GUID)"},
        {"Guid of another type", 0, "Guid={00000000-0000-1100-8000-0000C06B5162}\r\n", msg::FileCorrupt,
         " (bad file type GUID)"},
        {"lower-case Guid is the same", 0, "Guid={00000000-0000-1100-8000-0000c06b5161}\r\n"},
        {"other Specification", ovs::HeaderFlagCheckSpecification, guid + "Specification=Other\r\n", msg::WrongFileType,
         " \"Type\""},
        {"Specification differs in case", ovs::HeaderFlagCheckSpecification, guid + "Specification=type\r\n",
         msg::WrongFileType, " \"Type\""},
        {"same Specification", ovs::HeaderFlagCheckSpecification, guid + "Specification=Type\r\n"},
        {"Specification unchecked", 0, guid + "Specification=Other\r\n"},
        {"Version 1 is 1.0", 0, guid + "Version=1\r\n"},
        {"Version 1.5 is minor 5", 0, guid + "Version=1.5\r\n"},
        {"Version 1.6 too new", 0, guid + "Version=1.6\r\n", msg::BadVersion, "106"},
        {"Version 2.0 too new", 0, guid + "Version=2.0\r\n", msg::BadVersion, "200"},
        {"Version 0.9 too old", 0, guid + "Version=0.9\r\n", msg::VersionTooOld, "009", "100"},
        {"Version not a number", 0, guid + "Version=x\r\n", msg::DecimalExpected, "x"},
        {"Version with trailing text", 0, guid + "Version=1.0b\r\n", msg::EndOfLineExpected, "b"},
    };
    const GUID taskGuid = TaskGuid;
    for (const HeaderCheckCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ovs::ControlFileType type = {c.flags | ovs::HeaderFlagInMemory, "Type", &taskGuid, {1, 5}, {1, 0}};
        TypedFile file(&type);
        const std::string text =
            c.header[0] == '[' ? c.header : "[ORVA-SYSTEMS Control File]\r\n" + c.header + "Encoding=UTF-8\r\n";
        file.profiling().machineStore()->setText(text.data(), text.size());
        if (c.number == 0) {
            EXPECT_NO_THROW(file.readHeader());
            continue;
        }
        ovs::Exception error = expectException(c.number, [&] { file.readHeader(); });
        EXPECT_EQ(c.argument1, error.argument(1));
        EXPECT_EQ(c.argument2, error.argument(2));
    }
}

TEST(OrvaCtrlFileTest, OpeningMissingAndForeignFiles) {
    ovs::test::InPrivateFolder here;
    const ovs::ControlFileType type = {ovs::HeaderFlagIniText, "T", &TaskGuid, {1, 0}, {0, 0}};
    TypedFile missing(&type);
    ovs::FileException notFound = expectException<ovs::FileException>(
        msg::FileNotFound, [&] { missing.open(here.folder() / "missing.ovc", ovs::OrvaCtrlFile::OpenMustExist); });
    EXPECT_EQ(ovs::FileString(here.folder() / "missing.ovc"), notFound.path());
    EXPECT_FALSE(here.exists("missing.ovc"));

    {
        TypedFile made(&type);
        EXPECT_NO_THROW(made.open(here.folder() / "made.ovc", 0));
        EXPECT_TRUE(made.guidRead());
    }
    EXPECT_EQ("[ORVA-SYSTEMS Control File]\r\nGuid={00000000-0000-1100-8000-0000C06B5161}\r\nDescription=T\r\n"
              "Version=1.00\r\nEncoding=UTF-8\r\n\r\n",
              here.content("made.ovc"));

    here.makeFile("bad.ovc", "[Task]\r\nState=Request\r\n");
    TypedFile bad(&type);
    ovs::Exception error = expectException(
        msg::RegistryNameNotFound, [&] { bad.open(here.folder() / "bad.ovc", ovs::OrvaCtrlFile::OpenMustExist); });
    EXPECT_EQ(here.folder() / "bad.ovc", error.location());
}

struct ContextCase {
    int number;
    const char *a1, *a2, *a3, *valueName;
    int mapped;
    const char *argument1, *location;
};

TEST(OrvaCtrlFileTest, ErrorContextMapsRegistryNumbers) {
    const char* const value = "file \"x.ovc\", topic [Sec], value \"V\"";
    const char* const topic = "file \"x.ovc\", topic [Sec]";
    const ContextCase cases[] = {
        {msg::RegistryNotFound, "a", "b", "c", "V", msg::ItemNotFound, "a", value},
        {msg::RegistryNameNotFound, "a", "", "", "V", msg::ItemNotFound, "a", topic},
        {msg::RegistryBadData, "a", "b", "c", "V", msg::ItemBadData, "c", value},
        {msg::RegistryOutOfRange, "a", "b", "c", "", msg::ValueOutOfRange, "c", topic},
        {4711, "a", "", "", "V", 4711, "a", value},
        {msg::FileNotFound, "a", "", "", "V", msg::FileNotFound, "a", ""},
        {msg::FolderNotFound, "a", "", "", "V", msg::FolderNotFound, "a", ""},
        {msg::AccessDenied, "a", "", "", "V", msg::AccessDenied, "a", ""},
    };
    const ovs::ControlFileType type = {ovs::HeaderFlagIniText, "T", nullptr, {1, 0}, {0, 0}};
    ovs::test::TempFolder folder;
    TypedFile file(&type);
    file.create(folder / "x.ovc");
    file.profiling().setTopic("Sec");
    for (const ContextCase& c : cases) {
        SCOPED_TRACE(c.number);
        ovs::Exception error(c.number, c.a1, c.a2, c.a3);
        file.addErrorContext(error, c.valueName);
        EXPECT_EQ(c.mapped, error.number());
        EXPECT_EQ(c.argument1, error.argument(1));
        EXPECT_EQ(c.location, error.location());
    }
    ovs::Exception denied(msg::RegistryNoAccess, "HKEY_X\\y", "2");
    SetLastError(ERROR_ACCESS_DENIED);
    file.addErrorContext(denied);
    EXPECT_EQ(msg::ItemNoAccess, denied.number());
    EXPECT_EQ("5", denied.argument(1));
}

} // namespace
