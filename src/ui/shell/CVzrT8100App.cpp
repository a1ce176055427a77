#include "CVzrT8100App.h"

#include "common/CAppResources.h"
#include "common/CMessageBox.h"
#include "common/CWaitCursor.h"
#include "shell/CMainFrame.h"
#include "shell/COpeningDlg.h"
#include "shell/CTypeSelectDlg.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFont>
#include <QLockFile>
#include <QResource>
#include <QStandardPaths>
#include <QThread>
#include <QTranslator>
#include <cstdio>

namespace {

const char* const RES_BUNDLE = "VzrT8100Res.rcc";
const char* const RES_TRANSLATION = "VzrT8100Res.qm";
const char* const INSTANCE_LOCK = "VZR-T8100_Instance";

} // namespace

CVzrT8100App::CVzrT8100App(int& argc, char** argv, CLanguage::Language language)
    : QApplication(argc, argv), m_language(language) {
    setApplicationName(QStringLiteral("VZR-T8100"));
    setOrganizationName(QStringLiteral("Valdmark"));
    setApplicationVersion(CTestProperty::GetVersionText());
    setQuitOnLastWindowClosed(true);
}

CVzrT8100App::~CVzrT8100App() {
    // windows before the application, the controller after everything else
    m_pMainFrame.reset();
    m_hInstanceMutex.reset();
    UnloadResourceBundle();
}

CVzrT8100App* CVzrT8100App::Instance() {
    return qobject_cast<CVzrT8100App*>(QCoreApplication::instance());
}

bool CVzrT8100App::IsHeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void CVzrT8100App::StartUpMessage(const QString& text) {
    if (m_bUnattended) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        std::fflush(stderr);
        return;
    }
    CMessageBox::Ok(text);
}

void CVzrT8100App::TellPortProblems(QStringList& told) {
    // The failure dialog's texts stay as they are; what only a Linux operator can act on
    // (a device the user may not open, one another program holds) goes to the error output.
    for (const QString& line : m_cntl.PortProblems()) {
        if (told.contains(line))
            continue;
        told.append(line);
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    }
    std::fflush(stderr);
}

QString CVzrT8100App::InstanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QLatin1Char('/') + QLatin1String(INSTANCE_LOCK);
}

void CVzrT8100App::LoadResourceBundle() {
    const QDir dir(applicationDirPath());
    const QString bundle = dir.filePath(QLatin1String(RES_BUNDLE));
    if (QFileInfo::exists(bundle) &&
        QResource::registerResource(bundle, CAppResources::BundleRoot()))
        m_strResBundle = bundle;
    const QString texts = dir.filePath(QLatin1String(RES_TRANSLATION));
    if (QFileInfo::exists(texts)) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(texts)) {
            installTranslator(translator.get());
            m_pResTranslator = std::move(translator);
        }
    }
}

void CVzrT8100App::UnloadResourceBundle() {
    if (m_pResTranslator) {
        removeTranslator(m_pResTranslator.get());
        m_pResTranslator.reset();
    }
    if (!m_strResBundle.isEmpty()) {
        QResource::unregisterResource(m_strResBundle, CAppResources::BundleRoot());
        m_strResBundle.clear();
    }
}

void CVzrT8100App::SetFontsAndIcon() {
    // the faces the dialogs were laid out in, and the Japanese faces at hand
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"));
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSize(9);
    setFont(font);
    setWindowIcon(CAppResources::AppIcon());
}

bool CVzrT8100App::StartUp(const QStringList& documents) {
    LoadResourceBundle();
    SetFontsAndIcon();

    // one copy per user: a lock left by a copy that died is taken over
    auto lock = std::make_unique<QLockFile>(InstanceLockPath());
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        StartUpMessage(tr("アプリケーションはすでに起動しています。"));
        return false;
    }
    m_hInstanceMutex = std::move(lock);

    auto opening = std::make_unique<COpeningDlg>();
    opening->ShowNow();
    QElapsedTimer shown;
    shown.start();
    CWaitCursor cursor;

    m_pMainFrame = std::make_unique<CMainFrame>(m_cntl, m_property);
    QString error;
    if (!OpenDocuments(documents, error)) {
        opening.reset();
        cursor.Release();
        StartUpMessage(error);
        m_pMainFrame.reset();
        return false;
    }

    // the operator sees the opening window for at least the minimum time, no longer
    while (shown.elapsed() < MIN_OPENING_MS) {
        QThread::msleep(
            static_cast<unsigned long>(qMin<qint64>(100, MIN_OPENING_MS - shown.elapsed())));
        processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    opening.reset();

    const bool goOn = SearchInstrument(cursor);
    cursor.Release();
    if (!goOn) {
        m_pMainFrame.reset();
        return false;
    }

    m_property.LoadIni();

    m_pMainFrame->showMaximized();
    m_pMainFrame->raise();
    m_pMainFrame->activateWindow();
    return true;
}

bool CVzrT8100App::OpenDocuments(const QStringList& documents, QString& error) {
    if (documents.isEmpty()) {
        m_pMainFrame->NewDocument();
        return true;
    }
    for (const QString& path : documents) {
        if (!m_pMainFrame->OpenDocumentFile(path, &error, true))
            return false;
    }
    return true;
}

bool CVzrT8100App::SearchInstrument(CWaitCursor& cursor) {
    if (m_cntl.IsConnected())
        return true;
    CTypeSelectDlg typeSelect;
    typeSelect.m_nResult = CTypeSelectDlg::CHOICE_EXIT;
    QStringList told; // each port's trouble is told once, not at every retry
    for (;;) {
        if (m_cntl.Connect())
            return true;
        TellPortProblems(told);
        if (m_bUnattended) {
            // a dialog no one can answer is one that could not be shown: go on
            StartUpMessage(typeSelect.FailureText());
            return true;
        }
        cursor.Release();
        const int choice = typeSelect.DoModal();
        cursor.Again();
        if (choice != CTypeSelectDlg::CHOICE_RETRY)
            return choice != CTypeSelectDlg::CHOICE_EXIT;
    }
}

int CVzrT8100App::ShutDown() {
    if (m_hInstanceMutex) {
        m_hInstanceMutex->unlock();
        m_hInstanceMutex.reset();
    }
    UnloadResourceBundle();
    m_pMainFrame.reset();
    return 0;
}
