#pragma once
// Reading the resource script and the id header in tests: the controls of a
// dialog template as the script lists them.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace kj::app::test {

inline std::string readText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot read " << path;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The ids of app/ids.h by name.
inline std::map<std::string, int> controlIds(const std::string& ids_header) {
  std::map<std::string, int> ids;
  std::istringstream in(ids_header);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream l(line);
    std::string define;
    std::string name;
    int value = 0;
    if (l >> define >> name >> value && define == "#define") ids[name] = value;
  }
  return ids;
}

// The text of dialog template `dialog` from its DIALOGEX line to its END.
inline std::string dialogTemplate(const std::string& rc, const std::string& dialog) {
  const std::size_t start = rc.find("\n" + dialog + " DIALOGEX");
  EXPECT_NE(start, std::string::npos) << dialog;
  if (start == std::string::npos) return std::string();
  const std::size_t end = rc.find("\nEND", start);
  return rc.substr(start + 1, end - start);
}

// One control line of a template: `KIND "text", ID, x, y, width, height`.
struct TemplateControl {
  std::string kind;
  std::string text;  // UTF-8
  std::string id;    // the id's name as written
  int x = 0, y = 0, width = 0, height = 0;
};

// The controls of a template that have a text in quotes.
inline std::vector<TemplateControl> templateControls(const std::string& dialog_text) {
  std::vector<TemplateControl> controls;
  std::istringstream in(dialog_text);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string::npos ? open : line.find('"', open + 1);
    if (close == std::string::npos) continue;
    TemplateControl c;
    std::istringstream head(line.substr(0, open));
    head >> c.kind;
    if (c.kind == "CAPTION" || c.kind == "FONT") continue;
    c.text = line.substr(open + 1, close - open - 1);
    std::string rest = line.substr(close + 1);
    for (char& ch : rest) {
      if (ch == ',') ch = ' ';
    }
    std::istringstream tail(rest);
    tail >> c.id >> c.x >> c.y >> c.width >> c.height;
    EXPECT_FALSE(tail.fail()) << line;
    controls.push_back(c);
  }
  return controls;
}

}  // namespace kj::app::test
