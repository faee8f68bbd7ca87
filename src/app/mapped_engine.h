#pragma once
// The database paths the program handles are Windows paths (from the
// control software's log or the dialog); this engine opens them on this host.
#include <memory>
#include <string>

#include "platform/files/files.h"
#include "platform/jet/database.h"

namespace tallix {

class MappedEngine : public jet::Engine {
 public:
  MappedEngine(jet::Engine& inner, const files::PathMap& paths) : inner_(inner), paths_(paths) {}
  std::shared_ptr<jet::Database> OpenDatabase(const std::string& path) override {
    return inner_.OpenDatabase(paths_.ToHost(path));
  }

 private:
  jet::Engine& inner_;
  const files::PathMap& paths_;
};

}  // namespace tallix
