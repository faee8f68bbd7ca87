#include "platform/window/controls.h"

namespace tallix {

void MemoryForm::SetWindowState(WindowState s) {
  if (s == WindowState::Maximized && state_ != WindowState::Maximized) {
    normal_width_ = width_;
    normal_height_ = height_;
    // A window whose corner lies on the second display maximises there,
    // anywhere else on the primary.
    const double x = secondary_left.value_or(primary_width);
    const bool on_secondary = secondary_width > 0 && left_ >= x && left_ < x + secondary_width &&
                              top_ >= secondary_top && top_ < secondary_top + secondary_height;
    width_ = on_secondary ? secondary_width : primary_width;
    height_ = on_secondary ? secondary_height : primary_height;
  } else if (s == WindowState::Normal && state_ == WindowState::Maximized) {
    width_ = normal_width_;
    height_ = normal_height_;
  }
  state_ = s;
}

std::string MemoryForm::InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& default_text) {
  asked.push_back({prompt, title, default_text});
  if (answers.empty()) return std::string();
  std::string a = answers.front();
  answers.erase(answers.begin());
  return a;
}

bool MemoryDialog::ShowOpen() {
  ++opens;
  FileName.clear();
  if (files_to_choose.empty()) return false;
  FileName = files_to_choose.front();
  files_to_choose.erase(files_to_choose.begin());
  return !FileName.empty();
}

bool MemoryDialog::ShowFont() {
  ++font_dialogs;
  if (fonts_to_choose.empty()) return false;
  FontChoice f = fonts_to_choose.front();
  fonts_to_choose.erase(fonts_to_choose.begin());
  if (f.Name.empty()) return false;
  Font = f;
  return true;
}

}  // namespace tallix
