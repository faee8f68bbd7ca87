// bwsbuild OUT.bws SESSION.json      creates the session database
// bwsbuild --append OUT.bws ROWS.json  appends rows to its tables in place
#include <fstream>
#include <iostream>
#include <string>

#include "bws_build.h"

int main(int argc, char** argv) {
  const bool append = argc == 4 && std::string(argv[1]) == "--append";
  if (!(argc == 3 && std::string(argv[1]).rfind("--", 0) != 0) && !append) {
    std::cerr << "usage: bwsbuild OUT.bws SESSION.json\n"
                 "       bwsbuild --append OUT.bws ROWS.json\n";
    return 2;
  }
  const std::string db = argv[append ? 2 : 1];
  const std::string json_path = argv[append ? 3 : 2];
  try {
    std::ifstream in(json_path);
    if (!in) throw std::runtime_error("cannot open " + json_path);
    const nlohmann::json doc = nlohmann::json::parse(in);
    if (append)
      tallix::jetwriter::AppendBws(db, doc);
    else
      tallix::jetwriter::WriteBws(db, doc);
  } catch (const std::exception& e) {
    std::cerr << "bwsbuild: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
