#pragma once
// The common dialog when there is no display: the open-file dialog asks on
// the terminal when there is one and otherwise counts as cancelled; the
// font dialog always counts as cancelled.
#include <cstdio>

#include "platform/window/controls.h"

namespace tallix {

class TerminalDialog : public CommonDialog {
 public:
  TerminalDialog(std::FILE* in = stdin, std::FILE* out = stderr) : in_(in), out_(out) {}
  bool ShowOpen() override;
  bool ShowFont() override { return false; }

 private:
  std::FILE* in_;
  std::FILE* out_;
};

}  // namespace tallix
