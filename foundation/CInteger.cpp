#include "foundation/CInteger.h"

bool CInteger::equals(CXObject* other) {
    auto* integer = dynamic_cast<CInteger*>(other);
    return integer && integer->m_value == m_value;
}
