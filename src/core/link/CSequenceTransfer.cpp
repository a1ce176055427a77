#include "CSequenceTransfer.h"

#include "link/CVzrT8100Cntl.h"

#include <QCoreApplication>

bool CSequenceTransfer::Send(CVzrT8100Cntl& cntl, const CSettingList& plan) {
    const int count = static_cast<int>(plan.size());
    for (int n = 1; n <= count; ++n) {
        if (!cntl.SendSequenceStep(*plan[static_cast<size_t>(n - 1)], n))
            return false;
    }
    return count == 0 || cntl.SendSequenceProgram(count);
}

QString CSequenceTransfer::QuestionText() {
    return QCoreApplication::translate(
        "CSequenceTransfer", "VZR-T8100内部のSEQUENCEデータを書き換えます。\nよろしいですか?");
}

QString CSequenceTransfer::ResultText(bool sent) {
    return sent ? QCoreApplication::translate("CSequenceTransfer", "完了しました")
                : QCoreApplication::translate("CSequenceTransfer", "送信出来ませんでした");
}

QString CSequenceTransfer::PointsNotSentText(qsizetype points) {
    return QCoreApplication::translate("CSequenceTransfer",
                                       "テストポイントはシーケンスメモリに送られません (%1 点)")
        .arg(points);
}
