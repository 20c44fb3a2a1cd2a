#include "settings/file_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "store_contract.h"
#include "value_printers.h"

namespace kj {
namespace {

namespace fs = std::filesystem;

// A folder of its own for one test, removed with its contents afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device random;
        path_ = fs::temp_directory_path() /
                ("kj-settings-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        fs::create_directories(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }

    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string read_file(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

struct FileBackend {
    ScratchFolder folder;
    fs::path file = folder.path() / "settings.txt";
    std::optional<FileStore> file_store{std::in_place, file};

    KeyValueStore& store() { return *file_store; }
    std::wstring root() { return L"SOFTWARE\\TOVANIC\\KJVT58"; }
    // The file format has no way to write such a value, so it is added to
    // the file by hand and the store read again.
    void put_other(const std::wstring& path, const std::wstring& name)
    {
        file_store->flush();
        std::wstring lines = L"[" + path + L"]\n" + name + L"=binary:0102\n";
        std::ofstream out(file, std::ios::binary | std::ios::app);
        for (const wchar_t c : lines) {
            out.put(static_cast<char>(c));  // ASCII only here
        }
        out.close();
        file_store.emplace(file);
    }
};

INSTANTIATE_TYPED_TEST_SUITE_P(File, StoreContract, FileBackend);

class FileStoreTest : public ::testing::Test {
protected:
    ScratchFolder folder_;
    fs::path file_ = folder_.path() / "kjvt58" / "settings.txt";
};

TEST_F(FileStoreTest, AnotherStoreOnTheSameFileSeesEveryKeyAndValue)
{
    struct Case {
        std::wstring path;
        std::wstring name;
        StoredValue value;
    };
    const std::vector<Case> cases = {
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"COM", StoredValue::of_text(L"COM3")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Zoom", StoredValue::of_dword(0xFFFFFFFFu)},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Zero", StoredValue::of_dword(0)},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Empty", StoredValue::of_text(L"")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Separators",
         StoredValue::of_text(L"a=b%41[c]\\d#e:f")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Controls",
         StoredValue::of_text(L"line\nnext\r\ttab" + std::wstring(1, L'\0') + L"null\x7F")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Spaces", StoredValue::of_text(L"  both ends  ")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Japanese", StoredValue::of_text(L"融着記録管理")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"Astral", StoredValue::of_text(L"\U0001F600x")},
        {L"SOFTWARE\\TOVANIC\\KJVT58", L"name=with%odd[chars]\n",
         StoredValue::of_dword(3)},
        {L"SOFTWARE\\[odd]=key%", L"#not a comment", StoredValue::of_text(L"x")},
        {L"日本語\\キー", L"値", StoredValue::of_text(L"テキスト")},
    };
    {
        FileStore store(file_);
        for (const Case& c : cases) {
            const OpenKey key = store.create(c.path);
            ASSERT_NE(key, nullptr);
            ASSERT_TRUE(key->write(c.name, c.value));
        }
    }
    FileStore reopened(file_);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "case " << i);
        const OpenKey key = reopened.open_for_read(cases[i].path);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->read(cases[i].name, 1024), cases[i].value);
    }
}

TEST_F(FileStoreTest, MissingFileIsAnEmptyStoreAndReadingWritesNothing)
{
    FileStore store(file_);
    EXPECT_EQ(store.open_for_read(settings_key), nullptr);
    EXPECT_EQ(store.open_for_write(settings_key), nullptr);
    Settings s;
    EXPECT_FALSE(load_settings(s, store));
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(FileStoreTest, OnlyACreatedKeyOrAWrittenValueWritesTheFile)
{
    {
        FileStore store(file_);
        ASSERT_NE(store.create(L"Kept\\Empty"), nullptr);
    }
    {
        FileStore store(file_);
        // Replaced behind the store's back: anything the store writes from
        // now on would show.
        write_file(file_, "# replaced\n");
        EXPECT_NE(store.open_for_read(L"Kept\\Empty"), nullptr);
        EXPECT_NE(store.open_for_write(L"Kept\\Empty"), nullptr);
        EXPECT_NE(store.create(L"Kept\\Empty"), nullptr);
        EXPECT_NE(store.create(L"Kept"), nullptr);
        const OpenKey read_only = store.open_for_read(L"Kept");
        ASSERT_NE(read_only, nullptr);
        EXPECT_FALSE(read_only->write(L"Refused", StoredValue::of_dword(1)));
    }
    EXPECT_EQ(read_file(file_), "# replaced\n");
}

TEST_F(FileStoreTest, ReadsAHandWrittenFileAndSkipsWhatFitsNoPattern)
{
    fs::create_directories(file_.parent_path());
    write_file(file_,
               "Orphan=dword:1\r\n"
               "# comment\r\n"
               "\r\n"
               "[SOFTWARE\\TOVANIC\\KJVT58]\r\n"
               "COM=sz:COM%34\r\n"
               "PaperSize=dword:3\r\n"
               "Zoom=dword:4294967296\r\n"
               "MarginTop=dword:-1\r\n"
               "MarginLeft=dword:\r\n"
               "MarginRight=binary:0A0B\r\n"
               "no separator here\r\n"
               "=sz:no name\r\n"
               "Bytes=sz:\xE8\x9E\x8D\xFF%zz\r\n"
               "[SOFTWARE\\TOVANIC\\KJVT58\\EfdxExportProps]\n"
               "coord=dword:0\n");
    FileStore store(file_);
    const OpenKey key = store.open_for_read(settings_key);
    ASSERT_NE(key, nullptr);

    struct Case {
        std::wstring name;
        std::optional<StoredValue> expected;
    };
    const std::vector<Case> cases = {
        {L"COM", StoredValue::of_text(L"COM4")},
        {L"PaperSize", StoredValue::of_dword(3)},
        {L"Zoom", StoredValue{}},        // out of range
        {L"MarginTop", StoredValue{}},   // not a number
        {L"MarginLeft", StoredValue{}},  // no digits
        {L"MarginRight", StoredValue{}}, // a type of its own
        {L"Orphan", std::nullopt},       // before any key
        {L"", std::nullopt},
        {L"Bytes", StoredValue::of_text(L"融\uFFFD%zz")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.name));
        EXPECT_EQ(key->read(c.name, 1024), c.expected);
    }
    const OpenKey sub = store.open_for_read(export_columns_key);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->read(L"coord", 4), StoredValue::of_dword(0));

    // What was skipped is gone for good once the store writes the file.
    ASSERT_TRUE(store.flush());
    const std::string rewritten = read_file(file_);
    EXPECT_EQ(rewritten.find("Orphan"), std::string::npos);
    EXPECT_EQ(rewritten.find("no separator"), std::string::npos);
    EXPECT_NE(rewritten.find("MarginRight=other:\n"), std::string::npos);
}

TEST_F(FileStoreTest, SettingsSurviveANewStore)
{
    Settings saved;
    saved.port_name = L"/dev/ttyUSB0";
    saved.paper_size = 3;
    saved.margin_top = -7;
    saved.export_columns[25] = false;
    saved.battery_export_columns[39] = false;
    {
        FileStore store(file_);
        ASSERT_TRUE(save_settings(saved, store));
        ASSERT_TRUE(save_export_columns(saved, store));
        ASSERT_TRUE(save_battery_export_columns(saved, store));
    }
    const std::string text = read_file(file_);
    EXPECT_NE(text.find("[SOFTWARE\\TOVANIC\\KJVT58]\n"), std::string::npos);
    EXPECT_NE(text.find("COM=sz:/dev/ttyUSB0\n"), std::string::npos);
    EXPECT_NE(text.find("MarginTop=dword:4294967289\n"), std::string::npos);
    EXPECT_NE(text.find("[SOFTWARE\\TOVANIC\\KJVT58\\EfdxExportProps]\n"), std::string::npos);
    EXPECT_NE(text.find("coord=dword:0\n"), std::string::npos);

    FileStore reopened(file_);
    Settings loaded;
    ASSERT_TRUE(load_settings(loaded, reopened));
    ASSERT_TRUE(load_export_columns(loaded, reopened));
    ASSERT_TRUE(load_battery_export_columns(loaded, reopened));
    EXPECT_EQ(loaded, saved);
}

TEST_F(FileStoreTest, FlushReportsAFileThatCannotBeWritten)
{
    // The folder the file should go into is a plain file.
    fs::create_directories(file_.parent_path().parent_path());
    write_file(file_.parent_path(), "in the way");
    FileStore store(file_);
    {
        const OpenKey key = store.create(settings_key);
        ASSERT_NE(key, nullptr);
        EXPECT_TRUE(key->write(L"Zoom", StoredValue::of_dword(5)));
    }
    EXPECT_FALSE(store.flush());
    // The change is still there in memory.
    const OpenKey key = store.open_for_read(settings_key);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->read(L"Zoom", 4), StoredValue::of_dword(5));
    EXPECT_EQ(read_file(file_.parent_path()), "in the way");
}

TEST_F(FileStoreTest, FlushReplacesTheWholeFile)
{
    FileStore store(file_);
    {
        const OpenKey key = store.create(settings_key);
        ASSERT_NE(key, nullptr);
        key->write(L"Zoom", StoredValue::of_dword(5));
    }
    const std::string first = read_file(file_);
    {
        const OpenKey key = store.open_for_write(settings_key);
        ASSERT_NE(key, nullptr);
        key->write(L"Zoom", StoredValue::of_dword(6));
    }
    const std::string second = read_file(file_);
    EXPECT_NE(first.find("Zoom=dword:5\n"), std::string::npos);
    EXPECT_NE(second.find("Zoom=dword:6\n"), std::string::npos);
    EXPECT_EQ(second.find("Zoom=dword:5"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(file_) += ".tmp"));
}

}  // namespace
}  // namespace kj
