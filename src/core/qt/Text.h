#pragma once
// Conversions between the core's texts and Qt's at the user-interface edge.
#include <QString>
#include <string>
#include <string_view>

namespace vornik {

QString FromCp1251(std::string_view bytes);
std::string ToCp1251(const QString& text);
inline QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace vornik
