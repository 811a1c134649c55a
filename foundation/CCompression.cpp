#include "foundation/CCompression.h"

CCompression::CCompression(char* data, int size) : m_size(size), m_data(data) {}

void CCompression::setData(char* data) { m_data = data; }

int CCompression::GetSize() { return m_size; }
