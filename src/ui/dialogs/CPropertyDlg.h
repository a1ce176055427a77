#pragma once

#include <QDialog>
#include <memory>

class CTestProperty;
class QLineEdit;

namespace Ui {
class CPropertyDlg;
}

// "オプション設定": the test equipment (company, test place, models and serial numbers of
// simulator, discharge gun, discharge cup and CR unit). OK stores every field in the
// settings and in the settings file; cancel changes nothing.
//
//     CPropertyDlg dlg(app->GetProperty(), this);
//     dlg.exec();
class CPropertyDlg : public QDialog {
    Q_OBJECT

public:
    // The settings must outlive the dialog.
    explicit CPropertyDlg(CTestProperty& property, QWidget* parent = nullptr);
    ~CPropertyDlg() override;

public slots:
    void accept() override;

private:
    struct Field {
        QLineEdit* edit;
        QString CTestProperty::*member;
        const char* key;
    };
    QList<Field> Fields() const;

    CTestProperty& m_property;
    std::unique_ptr<Ui::CPropertyDlg> m_ui;
};
