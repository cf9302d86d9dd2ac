#include "sim/epld_model.h"

namespace zl::sim {

namespace {

// Programs `next` over `cells` when every cell that must read '1' still does.
bool ProgramCells(std::string& cells, const std::string& next) {
  if (!IsBitText(next, cells.size())) {
    return false;
  }
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (cells[i] == '0' && next[i] == '1') {
      return false;
    }
  }
  cells = next;
  return true;
}

}  // namespace

bool IsBitText(const std::string& text, std::size_t length) {
  if (text.size() != length) {
    return false;
  }
  for (char c : text) {
    if (c != '0' && c != '1') {
      return false;
    }
  }
  return true;
}

EpldModel::EpldModel() : rows_(kRows, std::string(kRowLength, '1')), ues_(kUesLength, '1') {}

void EpldModel::BulkErase() {
  for (auto& row : rows_) {
    row.assign(kRowLength, '1');
  }
  ues_.assign(kUesLength, '1');
}

bool EpldModel::WriteRow(std::size_t row, const std::string& fuses) {
  if (row >= kRows) {
    return false;
  }
  return ProgramCells(rows_[row], fuses);
}

bool EpldModel::WriteUes(const std::string& bits) {
  return ProgramCells(ues_, bits);
}

}  // namespace zl::sim
