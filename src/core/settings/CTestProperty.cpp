#include "CTestProperty.h"

#include "VzrVersion.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <climits>

namespace {

const char* const APP_NAME = "VZR-T8100";
const char* const VENDOR_FOLDER = "Valdmark";
// The profile reader's buffer holds 520 characters including the terminator.
constexpr int MAX_VALUE_LENGTH = 519;

constexpr QFileDevice::Permissions READ_ONLY = QFileDevice::ReadOwner | QFileDevice::ReadUser |
                                               QFileDevice::ReadGroup | QFileDevice::ReadOther;
constexpr QFileDevice::Permissions WRITABLE =
    READ_ONLY | QFileDevice::WriteOwner | QFileDevice::WriteUser;

QString settingsKey(const QString& section, const QString& key) {
    return section + QLatin1Char('/') + key;
}

} // namespace

QString CTestProperty::IniFolderPath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        return QString();
    return base + QLatin1Char('/') + QLatin1String(VENDOR_FOLDER) + QLatin1Char('/') +
           QLatin1String(APP_NAME);
}

QString CTestProperty::IniFilePath() {
    const QString folder = IniFolderPath();
    if (folder.isEmpty())
        return QString();
    MakeFolder(folder);
    return folder + QLatin1Char('/') + QLatin1String(APP_NAME) + QLatin1String(".ini");
}

QString CTestProperty::ReportsFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return {};
    return documents + QLatin1Char('/') + QLatin1String(APP_NAME);
}

bool CTestProperty::MakeFolder(const QString& path) {
    if (path.isEmpty())
        return true;
    auto makeLevel = [](const QString& prefix) {
        if (prefix.isEmpty())
            return true; // the file-system root
        const QFileInfo info(prefix);
        if (info.exists() || info.isSymLink())
            return info.isDir();
        return QDir().mkdir(prefix);
    };
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (c != QLatin1Char('/') && c != QLatin1Char('\\'))
            continue;
        // a drive root such as "C:/" is never looked up
        if (i > 0 && path.at(i - 1) == QLatin1Char(':'))
            continue;
        // repeated separators name no new level
        if (i > 0 && (path.at(i - 1) == QLatin1Char('/') || path.at(i - 1) == QLatin1Char('\\')))
            continue;
        if (!makeLevel(path.left(i)))
            return false;
    }
    const QChar last = path.back();
    if (last == QLatin1Char('/') || last == QLatin1Char('\\'))
        return true;
    return makeLevel(path);
}

QString CTestProperty::ReadIniString(const QString& section, const QString& key,
                                     const QString& defaultValue) {
    const QString file = IniFilePath();
    if (file.isEmpty() || !QFileInfo::exists(file))
        return defaultValue;
    const QSettings ini(file, QSettings::IniFormat);
    const QVariant value = ini.value(settingsKey(section, key));
    if (!value.isValid())
        return defaultValue;
    QString text;
    if (value.userType() == QMetaType::QStringList) {
        // an unquoted value with commas, edited by hand
        text = value.toStringList().join(QLatin1String(", "));
    } else {
        text = value.toString();
    }
    if (text.size() > MAX_VALUE_LENGTH) {
        qsizetype cut = MAX_VALUE_LENGTH;
        // never leave half of a surrogate pair behind
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    return text;
}

void CTestProperty::WriteIniString(const QString& section, const QString& key,
                                   const QString& value) {
    const QString file = IniFilePath();
    if (file.isEmpty())
        return;
    QFile existing(file);
    if (existing.exists())
        existing.setPermissions(WRITABLE);
    {
        QSettings ini(file, QSettings::IniFormat);
        const QString name = settingsKey(section, key);
        const QVariant before = ini.value(name);
        ini.setValue(name, value);
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            // The process keeps unsaved changes for the file and would show them to the
            // next read, and write them with the next key: take this one back.
            if (before.isValid())
                ini.setValue(name, before);
            else
                ini.remove(name);
        }
    }
    // the save went through a new file: protect whatever now stands under the name
    QFile written(file);
    if (written.exists())
        written.setPermissions(READ_ONLY);
}

QString CTestProperty::GetVersionText() {
    return QStringLiteral(VZR_VERSION_TEXT);
}

long CTestProperty::ParseDecimal(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    long result = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        const int digit = c.unicode() - '0';
        if (result > (LONG_MAX - digit) / 10)
            overflow = true;
        else
            result = result * 10 + digit;
    }
    if (overflow)
        return negative ? LONG_MIN : LONG_MAX;
    return negative ? -result : result;
}

namespace {

const char* const NO_TEST_TIME = "----";

QDateTime LocalTestTime(std::int64_t tm) {
    // beyond what a calendar can hold the result is invalid
    return QDateTime::fromSecsSinceEpoch(tm, Qt::LocalTime);
}

} // namespace

QString CTestProperty::TestDateText(std::int64_t tm) {
    if (tm == 0)
        return QLatin1String(NO_TEST_TIME);
    const QDateTime local = LocalTestTime(tm);
    if (!local.isValid())
        return QString();
    const QDate date = local.date();
    return QString::asprintf("%04d/%02d/%02d", date.year(), date.month(), date.day());
}

QString CTestProperty::TestTimeText(std::int64_t tm) {
    if (tm == 0)
        return QLatin1String(NO_TEST_TIME);
    const QDateTime local = LocalTestTime(tm);
    if (!local.isValid())
        return QString();
    const QTime time = local.time();
    return QString::asprintf("%02d:%02d:%02d", time.hour(), time.minute(), time.second());
}

void CTestProperty::LoadIni() {
    const QString prop = QLatin1String(INI_SECTION_PROPERTY);
    const QString info = QLatin1String(INI_SECTION_TEST_INFO);
    // a default shown to the operator, in his language
    const QString notSet = QCoreApplication::translate("CTestProperty", "未設定");
    m_strCompanyName = ReadIniString(prop, QLatin1String(INI_KEY_COMPANY_NAME), QString());
    m_strTestPlace = ReadIniString(prop, QLatin1String(INI_KEY_TEST_PLACE), QString());
    m_strEquipmentModel =
        ReadIniString(prop, QLatin1String(INI_KEY_EQUIPMENT_MODEL), QStringLiteral("VZR-T8100"));
    m_strEquipmentSerialNo =
        ReadIniString(prop, QLatin1String(INI_KEY_EQUIPMENT_SERIAL_NO), QString());
    m_strGunModel = ReadIniString(prop, QLatin1String(INI_KEY_GUN_MODEL), QStringLiteral("HV-52P"));
    m_strGunSerialNo = ReadIniString(prop, QLatin1String(INI_KEY_GUN_SERIAL_NO), QString());
    m_strCupModel =
        ReadIniString(prop, QLatin1String(INI_KEY_CUP_MODEL), QStringLiteral("14-20385C"));
    m_strCupSerialNo = ReadIniString(prop, QLatin1String(INI_KEY_CUP_SERIAL_NO), QString());
    m_strCrUnitModel =
        ReadIniString(prop, QLatin1String(INI_KEY_CR_UNIT_MODEL), QStringLiteral("17-20388C"));
    m_strCrUnitSerialNo = ReadIniString(prop, QLatin1String(INI_KEY_CR_UNIT_SERIAL_NO), QString());
    m_strTemperature =
        ReadIniString(info, QLatin1String(INI_KEY_TEMPERATURE), QStringLiteral("25.0 ℃"));
    m_strHumidity = ReadIniString(info, QLatin1String(INI_KEY_HUMIDITY), QStringLiteral("50.0 %"));
    m_strModel = ReadIniString(info, QLatin1String(INI_KEY_MODEL), notSet);
    m_strSerial = ReadIniString(info, QLatin1String(INI_KEY_SERIAL), notSet);
    m_strOperator = ReadIniString(info, QLatin1String(INI_KEY_OPERATOR), notSet);
    m_strStandard =
        ReadIniString(info, QLatin1String(INI_KEY_STANDARD), QStringLiteral("IEC61000-4-2"));
    m_tmTest = 0;
    m_bJudgeAuto =
        ParseDecimal(ReadIniString(QLatin1String(INI_SECTION_JUDGE),
                                   QLatin1String(INI_KEY_JUDGE_AUTO), QStringLiteral("0"))) != 0;
}
