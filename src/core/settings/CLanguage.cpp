#include "CLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QProcessEnvironment>
#include <QTranslator>

QString CLanguage::MessagesLocale(const QProcessEnvironment& env) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = env.value(QLatin1String(name));
        if (!value.isEmpty())
            return value;
    }
    return QString();
}

CLanguage::Language CLanguage::FromLocale(const QString& locale) {
    // language[_territory][.codeset][@modifier]
    qsizetype end = 0;
    while (end < locale.size() && locale.at(end) != u'_' && locale.at(end) != u'.' &&
           locale.at(end) != u'@')
        ++end;
    const QStringView language = QStringView(locale).left(end);
    if (language.isEmpty() || language == u"C" || language == u"POSIX" ||
        language.compare(u"ja", Qt::CaseInsensitive) == 0)
        return JAPANESE;
    return ENGLISH;
}

bool CLanguage::FromOption(const QString& option, Language* language) {
    if (option == QLatin1String("ja"))
        *language = JAPANESE;
    else if (option == QLatin1String("en"))
        *language = ENGLISH;
    else
        return false;
    return true;
}

CLanguage::Language CLanguage::Choose(const QProcessEnvironment& env, const QString& option) {
    Language language;
    if (FromOption(option, &language))
        return language;
    return FromLocale(MessagesLocale(env));
}

QString CLanguage::EnglishTextsPath() {
    return QStringLiteral(":/i18n/vzr-t8100_en.qm");
}

CLanguage::CLanguage(Language language) : m_nLanguage(language) {
    auto translator = std::make_unique<QTranslator>();
    if (language == ENGLISH) {
        // the toolkit's own texts are English already
        if (translator->load(EnglishTextsPath()))
            Install(m_pProgramTexts, std::move(translator));
    } else if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan),
                                QStringLiteral("qtbase"), QStringLiteral("_"),
                                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        // OK / キャンセル / はい / いいえ on the standard buttons
        Install(m_pToolkitTexts, std::move(translator));
    }
}

CLanguage::~CLanguage() {
    for (const auto* slot : {&m_pProgramTexts, &m_pToolkitTexts}) {
        if (*slot)
            QCoreApplication::removeTranslator(slot->get());
    }
}

void CLanguage::Install(std::unique_ptr<QTranslator>& slot,
                        std::unique_ptr<QTranslator> translator) {
    if (QCoreApplication::installTranslator(translator.get()))
        slot = std::move(translator);
}
