// Line and string helpers.
#include <tessel/tessel2.h>

std::string Tessel2::getline(FILE* hand) {
  std::string line;
  int c = fgetc(hand);
  while (c != EOF && c != '\n') {
    line += char(c);
    c = fgetc(hand);
  }
  return line;
}

std::string Tessel2::getTextLine(FILE* hand) {
  std::string line;
  int c;
  while ((c = fgetc(hand)) != EOF && c != '\n') line += char(c);
  if (c == '\n' && !line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string Tessel2::strtr(std::string subject, std::string search, std::string replacement) {
  // An empty search would match everywhere without ever advancing.
  if (search.empty()) return subject;
  std::string result;
  size_t i = 0;
  while (i < subject.size()) {
    if (subject.compare(i, search.size(), search) == 0) {
      result += replacement;
      i += search.size();
    } else {
      result += subject[i++];
    }
  }
  return result;
}

std::string Tessel2::strtolower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return text;
}

std::string Tessel2::file_get_contents(std::string name) {
  File hand(openFile(name.c_str(), "r"));
  if (!hand) throw "file_get_contents() - can not open file for read";
  std::string text;
  char block[4096];
  size_t got;
  while ((got = fread(block, 1, sizeof block, hand.get())) > 0) text.append(block, got);
  return text;
}

bool operator==(const std::string& a, const std::string& b) { return a.compare(b) == 0; }
