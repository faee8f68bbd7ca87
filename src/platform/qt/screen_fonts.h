#pragma once
// The fonts the grid asks for by name, made from what this host has: a
// missing Arial or Impact becomes the closest face installed here.
#include <QFont>
#include <string>

namespace tallix::qt {

QFont ScreenFont(const std::string& name, double points, bool bold, bool italic);

}  // namespace tallix::qt
