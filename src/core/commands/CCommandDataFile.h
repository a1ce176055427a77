#pragma once

#include <QString>

class CVzrT8100Doc;
class QTextStream;

// The data file a mode of the command line works on, opened the one way every mode opens
// it: a file that cannot be read is refused with the reason on the error output, as the
// windows would show it.
class CCommandDataFile {
public:
    CCommandDataFile() = delete;

    // Reads path into doc; false after printing why it was refused on err.
    static bool Open(const QString& path, CVzrT8100Doc& doc, QTextStream& err);
};
