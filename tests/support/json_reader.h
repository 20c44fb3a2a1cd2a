#pragma once
// A strict JSON reader for tests: objects keep their key order.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kj::test {

struct JsonValue;
using JsonObject = std::vector<std::pair<std::string, JsonValue>>;
using JsonArray = std::vector<JsonValue>;

struct JsonValue {
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<JsonArray>, std::shared_ptr<JsonObject>> v;

  bool isNull() const { return std::holds_alternative<std::nullptr_t>(v); }
  bool isObject() const { return std::holds_alternative<std::shared_ptr<JsonObject>>(v); }
  bool isArray() const { return std::holds_alternative<std::shared_ptr<JsonArray>>(v); }
  bool isString() const { return std::holds_alternative<std::string>(v); }
  bool isNumber() const { return std::holds_alternative<double>(v); }
  bool isBool() const { return std::holds_alternative<bool>(v); }
  const JsonObject& object() const { return *std::get<std::shared_ptr<JsonObject>>(v); }
  const JsonArray& array() const { return *std::get<std::shared_ptr<JsonArray>>(v); }
  const std::string& string() const { return std::get<std::string>(v); }
  double number() const { return std::get<double>(v); }
  bool boolean() const { return std::get<bool>(v); }
  // Member of an object by key; throws when missing.
  const JsonValue& operator[](const std::string& key) const;
  std::vector<std::string> keys() const;
};

// Parses exactly one JSON value (surrounding white space allowed); throws
// std::runtime_error on any deviation from the grammar.
JsonValue parseJson(const std::string& text);

}  // namespace kj::test
