#include "cipher/level1_tables.h"

namespace brisol {

constexpr SubstitutionTables kSubstitutionTables = build_tables();
constexpr WideTables kWideTables = build_wide_tables();

}  // namespace brisol
