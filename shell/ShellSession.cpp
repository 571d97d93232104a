#include "shell/ShellSession.h"

namespace tarnwick::shell {

void ShellSession::release() {
  model_.clearModel();
  tree_.clear();
  store::CloseStoreFiles(files_);
}

}  // namespace tarnwick::shell
