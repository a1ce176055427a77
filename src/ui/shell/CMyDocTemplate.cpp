#include "CMyDocTemplate.h"

#include "data/CVzrT8100Doc.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>

namespace {

// "\nTest\nVZR-T8100\nVZR-T8100 Files (*.vzt)\n.vzt\nVZR_T8100\nVZR-T8100 Data"
QString docString(int field) {
    const QStringList fields = CVzrT8100Doc::DocTemplateString().split(QLatin1Char('\n'));
    return field < fields.size() ? fields.at(field) : QString();
}

} // namespace

CMyDocTemplate::~CMyDocTemplate() = default;

QString CMyDocTemplate::DocName() {
    const QString name = docString(1);
    return name.isEmpty() ? QStringLiteral("Test") : name;
}

QString CMyDocTemplate::FileExtension() {
    const QString ext = docString(4);
    return ext.isEmpty() ? QStringLiteral(".vzt") : ext;
}

QString CMyDocTemplate::FileFilter() {
    const QString filter = docString(3);
    return filter.isEmpty() ? QStringLiteral("VZR-T8100 Files (*.vzt)") : filter;
}

CVzrT8100Doc* CMyDocTemplate::NewDocument() {
    auto doc = std::make_unique<CVzrT8100Doc>();
    doc->SetTitle(DocName() + QString::number(++m_nUntitledCount));
    doc->SetModifiedFlag(false);
    m_docs.push_back(std::move(doc));
    return m_docs.back().get();
}

CVzrT8100Doc* CMyDocTemplate::OpenDocument(const QString& path, QString* errorText) {
    auto doc = std::make_unique<CVzrT8100Doc>();
    QString error;
    if (!doc->OpenFile(path, &error)) {
        if (error.isEmpty())
            error = QCoreApplication::translate("CMyDocTemplate", "%1 を開けませんでした。")
                        .arg(QFileInfo(path).fileName());
        if (errorText)
            *errorText = error;
        return nullptr;
    }
    doc->SetPathName(QFileInfo(path).absoluteFilePath());
    doc->SetModifiedFlag(false);
    m_docs.push_back(std::move(doc));
    return m_docs.back().get();
}

void CMyDocTemplate::CloseDocument(CVzrT8100Doc* doc) {
    std::erase_if(m_docs, [doc](const std::unique_ptr<CVzrT8100Doc>& d) { return d.get() == doc; });
}

bool CMyDocTemplate::SamePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    // one file under two spellings (relative, "..", links) is still one file
    const QFileInfo fa(a), fb(b);
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty())
        return ca == cb;
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

CMyDocTemplate::Confidence CMyDocTemplate::MatchDocType(const QString& path,
                                                        CVzrT8100Doc*& matched) const {
    matched = nullptr;
    bool openButModified = false;
    for (const auto& doc : m_docs) {
        if (!SamePath(doc->GetPathName(), path))
            continue;
        matched = doc.get();
        if (!doc->IsModified())
            return YES_ALREADY_OPEN;
        openButModified = true;
    }
    if (openButModified) {
        // the stored file opens beside the changed copy
        matched = nullptr;
        return YES_ATTEMPT_NATIVE;
    }
    const QString ext = FileExtension();
    const QString suffix = QLatin1Char('.') + QFileInfo(path).suffix();
    if (!ext.isEmpty() && suffix == ext)
        return YES_ATTEMPT_NATIVE;
    return YES_ATTEMPT_FOREIGN;
}

std::vector<CVzrT8100Doc*> CMyDocTemplate::Documents() const {
    std::vector<CVzrT8100Doc*> docs;
    for (const auto& doc : m_docs)
        docs.push_back(doc.get());
    return docs;
}

bool CMyDocTemplate::Contains(const CVzrT8100Doc* doc) const {
    return std::any_of(m_docs.begin(), m_docs.end(),
                       [doc](const std::unique_ptr<CVzrT8100Doc>& d) { return d.get() == doc; });
}
