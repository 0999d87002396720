#pragma once

#include <QString>

namespace Zelkor {

/// Reads a finished ZIP package (a workbook) through and checks that it is whole: its central
/// directory is found (ZIP64 included), every member's data inflates to the size and CRC the
/// directory gives, and every XML member ends with the end tag of its root element. A member cut
/// short before it was packed (a temporary file that hit a size limit or a full disk) passes
/// the CRC, since the CRC is taken of what was packed, and is caught by the last check.
/// False with *error, a Japanese sentence naming the member, on the first fault.
bool checkZipPackage(const QString &fileName, QString *error);

} // namespace Zelkor
