#pragma once

#include "link/CVzrT8100Cntl.h"
#include "settings/CLanguage.h"
#include "settings/CTestProperty.h"

#include <QApplication>
#include <QStringList>
#include <memory>

class CMainFrame;
class CWaitCursor;
class QLockFile;
class QTranslator;

// The application: owns the instrument controller and the settings for the whole run,
// starts and ends the program, and hands both to the main window, which hands them on to
// every window it opens.
class CVzrT8100App : public QApplication {
    Q_OBJECT

public:
    // The opening window stays up at least this long.
    static constexpr int MIN_OPENING_MS = 2000;

    // Constructing the controller searches for the instrument: the port table must be set
    // up before. The texts are in the language given from the first, the search's too.
    CVzrT8100App(int& argc, char** argv, CLanguage::Language language = CLanguage::JAPANESE);
    ~CVzrT8100App() override;

    // Single instance, opening window, main window, the documents named (a new one when
    // none is), the instrument, the settings. False: the program ends at once.
    bool StartUp(const QStringList& documents = QStringList());
    // Releases what start-up took; the result is the program's exit code.
    int ShutDown();

    // The application object of a run, for tests of the whole program; the windows are
    // handed what they need.
    static CVzrT8100App* Instance();

    // No one can see or answer the start-up's windows (a run without a display): what
    // would be asked goes to the error output, and the failure dialog counts as one that
    // could not be shown.
    void SetUnattended(bool unattended) { m_bUnattended = unattended; }
    static bool IsHeadlessPlatform();

    CVzrT8100Cntl& GetCntl() { return m_cntl; }
    CTestProperty& GetProperty() { return m_property; }
    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }

    // The single-instance lock in the user's runtime folder.
    static QString InstanceLockPath();

private:
    void LoadResourceBundle();
    void UnloadResourceBundle();
    void SetFontsAndIcon();

    // Tells the operator at start-up, or the error output when no one can answer.
    void StartUpMessage(const QString& text);
    // Writes the ports the last search could not open, and why, to the error output.
    void TellPortProblems(QStringList& told);
    // The documents named on the command line, or a new one; false with the reason when
    // one cannot be opened.
    bool OpenDocuments(const QStringList& documents, QString& error);
    // Searches until the instrument answers or the operator stops asking for it; false
    // when he chose to end the program.
    bool SearchInstrument(CWaitCursor& cursor);

    // Declared first: the texts are there before anything is told, and go last.
    CLanguage m_language;
    // The controller, and with it the port, goes after every other part.
    CVzrT8100Cntl m_cntl;
    CTestProperty m_property;
    bool m_bUnattended = false;
    std::unique_ptr<QLockFile> m_hInstanceMutex;
    QString m_strResBundle; // registered resource bundle, empty when none was found
    std::unique_ptr<QTranslator> m_pResTranslator;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
