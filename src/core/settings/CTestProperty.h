#pragma once

#include <QString>
#include <cstdint>

// INI sections and keys, spelled as they stand in the file.
inline constexpr const char* INI_SECTION_PROPERTY = "INI_SECTION_PROPERTY";
inline constexpr const char* INI_KEY_COMPANY_NAME = "INI_KEY_COMPANY_NAME";
inline constexpr const char* INI_KEY_TEST_PLACE = "INI_KEY_TEST_PLACE";
inline constexpr const char* INI_KEY_EQUIPMENT_MODEL = "INI_KEY_EQUIPMENT_MODEL";
inline constexpr const char* INI_KEY_EQUIPMENT_SERIAL_NO = "INI_KEY_EQUIPMENT_SERIAL_NO";
inline constexpr const char* INI_KEY_GUN_MODEL = "INI_KEY_GUN_MODEL";
inline constexpr const char* INI_KEY_GUN_SERIAL_NO = "INI_KEY_GUN_SERIAL_NO";
inline constexpr const char* INI_KEY_CUP_MODEL = "INI_KEY_CUP_MODEL";
inline constexpr const char* INI_KEY_CUP_SERIAL_NO = "INI_KEY_CUP_SERIAL_NO";
inline constexpr const char* INI_KEY_CR_UNIT_MODEL = "INI_KEY_CR_UNIT_MODEL";
inline constexpr const char* INI_KEY_CR_UNIT_SERIAL_NO = "INI_KEY_CR_UNIT_SERIAL_NO";

inline constexpr const char* INI_SECTION_TEST_INFO = "INI_SECTION_TEST_INFO";
inline constexpr const char* INI_KEY_TEMPERATURE = "INI_KEY_TEMPERATURE";
inline constexpr const char* INI_KEY_HUMIDITY = "INI_KEY_HUMIDITY";
inline constexpr const char* INI_KEY_MODEL = "INI_KEY_MODEL";
inline constexpr const char* INI_KEY_SERIAL = "INI_KEY_SERIAL";
inline constexpr const char* INI_KEY_OPERATOR = "INI_KEY_OPERATOR";
inline constexpr const char* INI_KEY_STANDARD = "INI_KEY_STANDARD";

inline constexpr const char* INI_SECTION_JUDGE = "INI_SECTION_JUDGE";
inline constexpr const char* INI_KEY_JUDGE_AUTO = "INI_KEY_JUDGE_AUTO";

inline constexpr const char* INI_SECTION_MDICHILD_X = "INI_SECTION_MDICHILD_X";
inline constexpr const char* INI_KEY_MDICHILD_X = "INI_KEY_MDICHILD_X";
inline constexpr const char* INI_KEY_MDICHILD_Y = "INI_KEY_MDICHILD_Y";
inline constexpr const char* INI_KEY_MDICHILD_CX = "INI_KEY_MDICHILD_CX";
inline constexpr const char* INI_KEY_MDICHILD_CY = "INI_KEY_MDICHILD_CY";
inline constexpr const char* INI_KEY_MDICHILD_MAXIMIZE = "INI_KEY_MDICHILD_MAXIMIZE";

// The operator's settings: test equipment, test environment and the automatic
// judgement option, kept in one per-user INI file and written key by key.
class CTestProperty {
public:
    CTestProperty() = default;

    // Reads every key once, with its default; the test time is cleared.
    void LoadIni();

    // Creates every missing level of the folder path, outermost first.
    static bool MakeFolder(const QString& path);
    // Reads one value; a missing file or key gives the default. At most 519 characters.
    static QString ReadIniString(const QString& section, const QString& key,
                                 const QString& defaultValue);
    // Writes one value. The file stays read-only between writes; failures are silent.
    static void WriteIniString(const QString& section, const QString& key, const QString& value);
    // "major.minor.patch.tweak" of the product version built in.
    static QString GetVersionText();

    // Folder and file of the store, computed afresh from the user's configuration folder.
    static QString IniFolderPath();
    static QString IniFilePath();
    // $DOCUMENTS/VZR-T8100, where reports go, and the run records of a document whose own
    // folder takes none; empty when the user has no documents folder.
    static QString ReportsFolder();

    // A decimal integer as the C library reads one: leading blanks and a sign allowed,
    // digits up to the first other character, no digits giving 0.
    static long ParseDecimal(const QString& text);

    // The test time as a local date "%Y/%m/%d" and a local time "%H:%M:%S"; "----" for
    // 0 (no run yet), an empty text for a time that has no local date.
    static QString TestDateText(std::int64_t tm);
    static QString TestTimeText(std::int64_t tm);

    QString m_strCompanyName;
    QString m_strTestPlace;
    QString m_strEquipmentModel;
    QString m_strEquipmentSerialNo;
    QString m_strGunModel;
    QString m_strGunSerialNo;
    QString m_strCupModel;
    QString m_strCupSerialNo;
    QString m_strCrUnitModel;
    QString m_strCrUnitSerialNo;
    QString m_strModel;
    QString m_strSerial;
    QString m_strOperator;
    QString m_strStandard;
    std::int64_t m_tmTest = 0; // seconds since 1970-01-01 UTC, 0 = not set
    QString m_strTemperature;
    QString m_strHumidity;
    bool m_bJudgeAuto = false;
};
