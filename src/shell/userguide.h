#pragma once

#include <QString>

namespace Zelkor {

/// The Japanese user's guide (HTML) that is installed with the program. It lies in a folder
/// fixed relative to the program file's folder, both where `cmake --install` puts it and where
/// the build lays it out beside the built programs.
class UserGuide
{
public:
    /// The guide's folder relative to the folder of the program file ("../share/doc/zelkor/guide").
    static QString relativeFolder();
    /// The guide's index page for the program file programPath, else that of the source tree the
    /// program was built from; empty when neither is there.
    static QString indexPath(const QString &programPath);
    /// The index page of the guide in the source tree the program was built from (which may be
    /// gone).
    static QString sourceIndexPath();
};

} // namespace Zelkor
