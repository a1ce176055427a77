#pragma once

#include <QString>
#include <memory>
#include <vector>

class CVzrT8100Doc;

// The test documents open in the program: makes new ones, opens files into new ones and
// decides how a file to be opened matches the documents already open.
class CMyDocTemplate {
public:
    enum Confidence {
        NO_ATTEMPT = 0,
        YES_ATTEMPT_FOREIGN = 3, // another extension: opening is still tried
        YES_ATTEMPT_NATIVE = 4,  // a ".vzt" file, or the open copy holds unsaved changes
        YES_ALREADY_OPEN = 5,    // open and unchanged: its window is brought forward
    };

    CMyDocTemplate() = default;
    ~CMyDocTemplate();
    CMyDocTemplate(const CMyDocTemplate&) = delete;
    CMyDocTemplate& operator=(const CMyDocTemplate&) = delete;

    // Document name "Test" and the extension, from the document type string.
    static QString DocName();
    static QString FileExtension();
    static QString FileFilter();

    // A new plan titled "Test1", "Test2", ... in the order they were made.
    CVzrT8100Doc* NewDocument();
    // Reads the file into a new document; on failure nothing is added and errorText
    // says why.
    CVzrT8100Doc* OpenDocument(const QString& path, QString* errorText);
    void CloseDocument(CVzrT8100Doc* doc);

    Confidence MatchDocType(const QString& path, CVzrT8100Doc*& matched) const;

    std::vector<CVzrT8100Doc*> Documents() const;
    bool Contains(const CVzrT8100Doc* doc) const;

    static bool SamePath(const QString& a, const QString& b);

private:
    std::vector<std::unique_ptr<CVzrT8100Doc>> m_docs;
    int m_nUntitledCount = 0;
};
