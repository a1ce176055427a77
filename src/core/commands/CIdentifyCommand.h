#pragma once

#include <QString>

class QTextStream;

// "vzr-t8100 --identify": searches the port table for the instrument and prints the port
// that answered and its identification reply; the ports that could not be opened, and
// why, go to the error output.
class CIdentifyCommand {
public:
    CIdentifyCommand() = delete;

    // 0 when the instrument answered; 1 when none was found or it stopped answering.
    static int Run(QTextStream& out, QTextStream& err);

    // "VZR-T8100が見つかりませんでした。...": no port answered the search.
    static QString NotFoundText();
};
