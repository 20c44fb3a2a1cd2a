#include "settings/file_store.h"

#include "records_io/text_encoding.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kj {

namespace {

// --- Escaping --------------------------------------------------------------

bool needs_escape(wchar_t c)
{
    // '#' would make a line starting with it a comment.
    return c < 0x20 || c == 0x7F || c == L'%' || c == L'=' || c == L'[' || c == L']' ||
           c == L'#';
}

std::wstring escape(std::wstring_view text)
{
    static constexpr wchar_t hex[] = L"0123456789ABCDEF";
    std::wstring out;
    for (const wchar_t c : text) {
        if (needs_escape(c)) {
            const auto code = static_cast<unsigned>(c);
            out.push_back(L'%');
            out.push_back(hex[code >> 4]);
            out.push_back(hex[code & 0xFu]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int hex_value(wchar_t c)
{
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

std::wstring unescape(std::wstring_view text)
{
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'%' && i + 2 < text.size()) {
            const int high = hex_value(text[i + 1]);
            const int low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<wchar_t>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);  // a stray '%' stands for itself
    }
    return out;
}

// --- The file's lines ------------------------------------------------------

std::optional<std::uint32_t> parse_dword(std::wstring_view digits)
{
    std::string narrow;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        narrow.push_back(static_cast<char>(c));
    }
    std::uint32_t number = 0;
    const auto [end, error] =
        std::from_chars(narrow.data(), narrow.data() + narrow.size(), number);
    if (error != std::errc{} || end != narrow.data() + narrow.size() || narrow.empty()) {
        return std::nullopt;
    }
    return number;
}

StoredValue parse_value(std::wstring_view typed)
{
    const std::size_t colon = typed.find(L':');
    if (colon == std::wstring_view::npos) {
        return StoredValue{};
    }
    const std::wstring_view type = typed.substr(0, colon);
    const std::wstring_view data = typed.substr(colon + 1);
    if (type == L"sz") {
        return StoredValue::of_text(unescape(data));
    }
    if (type == L"dword") {
        if (const auto number = parse_dword(data)) {
            return StoredValue::of_dword(*number);
        }
    }
    return StoredValue{};
}

void parse(std::wstring_view text, MemoryStore& into)
{
    std::optional<std::wstring> section;
    while (!text.empty()) {
        const std::size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        text = end == std::wstring_view::npos ? std::wstring_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == L'#') {
            continue;
        }
        if (line.front() == L'[' && line.back() == L']' && line.size() >= 2) {
            section = unescape(line.substr(1, line.size() - 2));
            into.create_key(*section);
            continue;
        }
        const std::size_t equals = line.find(L'=');
        if (!section || equals == std::wstring_view::npos || equals == 0) {
            continue;
        }
        into.put(*section, unescape(line.substr(0, equals)), parse_value(line.substr(equals + 1)));
    }
}

std::wstring serialise(const MemoryStore& contents)
{
    std::wstring out = L"# KJ-VT58 settings\n";
    for (const std::wstring& path : contents.key_paths()) {
        out += L"[" + escape(path) + L"]\n";
        const auto values = contents.values(path);
        for (const auto& [name, value] : *values) {
            out += escape(name);
            switch (value.type) {
            case ValueType::text:
                out += L"=sz:" + escape(value.text);
                break;
            case ValueType::dword:
                out += L"=dword:" + std::to_wstring(value.dword);
                break;
            case ValueType::other:
                out += L"=other:";
                break;
            }
            out += L'\n';
        }
    }
    return out;
}

}  // namespace

// Passes everything to the key of the in-memory contents and writes the
// file when it closes after a change.
class FileStore::Key final : public StoreKey {
public:
    Key(FileStore& store, OpenKey inner, bool changed)
        : store_(store), inner_(std::move(inner)), changed_(changed)
    {
    }

    ~Key() override
    {
        if (changed_) {
            try {
                store_.flush();
            } catch (...) {
                // Closing a key cannot fail; the change stays in memory.
            }
        }
    }

    std::optional<StoredValue> read(std::wstring_view name,
                                    std::size_t capacity_bytes) override
    {
        return inner_->read(name, capacity_bytes);
    }

    bool write(std::wstring_view name, const StoredValue& value) override
    {
        const bool written = inner_->write(name, value);
        changed_ = changed_ || written;
        return written;
    }

private:
    FileStore& store_;
    OpenKey inner_;
    bool changed_;
};

FileStore::FileStore(std::filesystem::path file) : file_(std::move(file))
{
    std::ifstream in(file_, std::ios::binary);
    if (!in) {
        return;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    parse(fromUtf8(bytes), contents_);
}

OpenKey FileStore::open_for_read(std::wstring_view path)
{
    OpenKey inner = contents_.open_for_read(path);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<Key>(*this, std::move(inner), false);
}

OpenKey FileStore::open_for_write(std::wstring_view path)
{
    OpenKey inner = contents_.open_for_write(path);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<Key>(*this, std::move(inner), false);
}

OpenKey FileStore::create(std::wstring_view path)
{
    const bool existed = contents_.has_key(path);
    OpenKey inner = contents_.create(path);
    if (!inner) {
        return nullptr;
    }
    return std::make_unique<Key>(*this, std::move(inner), !existed);
}

bool FileStore::flush()
{
    std::error_code error;
    if (file_.has_parent_path()) {
        std::filesystem::create_directories(file_.parent_path(), error);
    }
    std::filesystem::path temporary = file_;
    temporary += ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string bytes = toUtf8(serialise(contents_));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, error);
            return false;
        }
    }
    // Replacing the file in one step leaves either the old or the new
    // contents behind, never a half-written file.
    std::filesystem::rename(temporary, file_, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace kj
