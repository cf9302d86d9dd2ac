#include "app/resource_strings.h"

#include "app/resource_ids.h"

namespace zl {

std::string LoadResourceString(int stringId) {
  switch (stringId) {
    case IDS_ABOUTBOX:
      return "&About zetaLink Setup...";
    case IDS_APP_TITLE:
      return kAppTitle;
    default:
      return "";
  }
}

}  // namespace zl
