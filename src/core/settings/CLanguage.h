#pragma once

#include <QString>
#include <memory>

class QProcessEnvironment;
class QTranslator;

// The language the operator reads: Japanese, the program's own texts, or English. It
// follows the messages locale as desktop programs do, unless the command line names one.
// An object installs the language's texts (the program's and the toolkit's standard
// buttons) in the running application for as long as it lives.
class CLanguage {
public:
    enum Language { JAPANESE, ENGLISH };

    // The messages locale: LC_ALL, LC_MESSAGES, LANG, the first that is set and not empty;
    // empty when none is.
    static QString MessagesLocale(const QProcessEnvironment& env);
    // Japanese for a ja locale, for C and POSIX and for none; English for any other
    // language.
    static Language FromLocale(const QString& locale);
    // The value of --lang: "ja" or "en". False for anything else.
    static bool FromOption(const QString& option, Language* language);
    // The language of this run: the option when it names one, else the locale's.
    static Language Choose(const QProcessEnvironment& env, const QString& option);

    // Installs the texts in the application object, which must exist; removes them again
    // when destroyed.
    explicit CLanguage(Language language);
    ~CLanguage();
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    Language GetLanguage() const { return m_nLanguage; }
    // Whether the program's own English texts were found and installed.
    bool HasProgramTexts() const { return m_pProgramTexts != nullptr; }

    // The compiled English texts, built into the program.
    static QString EnglishTextsPath();

private:
    void Install(std::unique_ptr<QTranslator>& slot, std::unique_ptr<QTranslator> translator);

    Language m_nLanguage;
    std::unique_ptr<QTranslator> m_pProgramTexts;
    std::unique_ptr<QTranslator> m_pToolkitTexts;
};
