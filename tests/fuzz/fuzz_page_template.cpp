// The page template: any text makes a page, and a name's markup never
// reaches the page as markup.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/run_time_error.h"
#include "platform/grid/grid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  static const fs::path dir = [] {
    const fs::path d = fs::temp_directory_path() / ("tallix_fuzz_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return d;
  }();
  const std::string text(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(dir / "SPOOLTEMPL.HTM", std::ios::binary | std::ios::trunc);
    out << text;
  }
  tallix::Grid grid;
  grid.AddItem("1\t3\tAnn <evil> & Bob\t63.5\t\t2\t4\t\"Cy\" & 'Di'\t36.5");
  grid.AddItem("2\t1\tEd\t50\t\t\t\t\t");
  try {
    grid.ExportToHtml(1, 7, (dir / "RankingTable.htm").string(), (dir / "SPOOLTEMPL.HTM").string(),
                      "Rankings:  <evil>; Round 3");
    std::ifstream in(dir / "RankingTable.htm", std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(in), {}};
    if (text.find("<evil>") == std::string::npos && text.find("evil") == std::string::npos &&
        page.find("<evil>") != std::string::npos) {
      std::abort();
    }
  } catch (const tallix::RunTimeError&) {
  }
  return 0;
}
