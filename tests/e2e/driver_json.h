#pragma once
// A small JSON reader for the output of "kjvt58-cli dump --json", which the
// driver compares with what the window shows.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace e2e::json {

struct Value {
  enum class Type { null, boolean, number, text, array, object };
  Type type = Type::null;
  bool flag = false;
  double number = 0.0;
  std::wstring text;
  std::vector<Value> items;
  std::map<std::string, Value> members;

  // The member of an object; fails when there is none.
  const Value& operator[](const std::string& key) const;
  const Value& at(std::size_t index) const;
  bool has(const std::string& key) const { return members.count(key) != 0; }
  bool isNull() const { return type == Type::null; }
};

// Parses one JSON document (UTF-8). Fails (e2e::Failure) on malformed input.
Value parse(std::string_view text);

}  // namespace e2e::json
