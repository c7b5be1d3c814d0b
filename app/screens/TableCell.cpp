#include "app/screens/TableCell.h"

namespace corvane::app {

void TableCell::setSelected(bool selected, bool /*animated*/) { selected_ = selected; }

}  // namespace corvane::app
