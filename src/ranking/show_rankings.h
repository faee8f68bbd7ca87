#pragma once
// Orders the pairs by percentage, refills the grid with one row per table,
// has the grid write the web page and starts its upload.
#include <string>

#include "platform/grid/grid.h"
#include "platform/transfer/transfer.h"
#include "session/session_state.h"

namespace tallix {

inline constexpr const char* kTemplatePath = "C:\\Bridgemate\\SPOOLTEMPL.HTM";
inline constexpr const char* kPagePath = "C:\\Bridgemate\\RankingTable.htm";
inline constexpr const char* kUploadCommand =
    "put C:\\Bridgemate\\RankingTable.htm www/RankingTable.htm";

// `template_host_path` and `page_host_path` are the two files above on this
// host; `caption` the window caption the page shows. FillRankingGrid then
// PublishPage.
void ShowRankings(SessionState& s, Grid& grid, Transfer& inet, const std::string& caption,
                  const std::string& template_host_path, const std::string& page_host_path);

// Orders the pairs and refills the grid, one row per table.
void FillRankingGrid(SessionState& s, Grid& grid);
// Has the grid write the page and starts its upload. `two_fields` tells the
// template which lists the halves hold.
void PublishPage(const Grid& grid, Transfer& inet, bool two_fields, const std::string& caption,
                 const std::string& template_host_path, const std::string& page_host_path);

}  // namespace tallix
