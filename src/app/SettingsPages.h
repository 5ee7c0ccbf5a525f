// The pages of the settings sheet, in the sheet's order.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "app/CSettingsPage.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QStackedWidget;
class QTreeWidget;
class QButtonGroup;
class QCheckBox;

namespace tamsivane {

class LayoutPanel;

// Every page for the sheet, in order; the Communication page only when the
// sheet edits a session.
std::vector<CSettingsPage*> MakeSettingsPages(CSettingsSheet& sheet);

class CPageGeneral final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageGeneral(CSettingsSheet& sheet);

protected:
    // The standing choice for host scripts belongs to the application, not
    // to the session: it is kept in the profile.
    bool Exchange(ExchangeDirection direction) override;

private:
    void EditLoginScript();
    void UseTemplate(const QString& name);

    QComboBox* hostScripts_;
};

class CPageIntl final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageIntl(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    QButtonGroup* encoding_;
};

class CPageTerminal final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageTerminal(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    QButtonGroup* columns_;
    QComboBox* arrangement_;
    QLineEdit* answerBack_;
};

class CPageDisplay final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageDisplay(CSettingsSheet& sheet);
};

class CPageKeyboard final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageKeyboard(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    void ShowKeyAction();
    QComboBox* key_;
    QComboBox* action_;
    QCheckBox* localFunctions_ = nullptr; // F1-F5 all local functions
};

class CPageKeymap final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageKeymap(CSettingsSheet& sheet);

    LayoutPanel* Panel() const { return panel_; }

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    uint8_t Modifiers() const;
    void ColourKeys();
    void ShowMapping();
    void ShowKindFields();
    void SetMapping();
    void UseTemplate(int index, const QString& name);
    // The working key map was replaced: the picture and the mapping follow.
    void KeysReplaced();

    LayoutPanel* panel_;
    std::array<QCheckBox*, 3> modifiers_{};
    QLabel* keyName_;
    QComboBox* kind_;
    QLineEdit* vtKeyName_;
    QPushButton* change_;
    QLineEdit* text_;
    QComboBox* menu_;
    QPushButton* set_;
    uint8_t key_ = 0; // the PC key chosen on the picture
    int vtKey_ = 0;   // the VT key of a "Map to VT Key" mapping
};

class CPagePrint final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPagePrint(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    void ShowPrinter();
    void SelectFont();
    QLineEdit* printer_;
    QLineEdit* fontFace_ = nullptr;
    QSpinBox* fontSize_ = nullptr;
    QCheckBox* fontBold_ = nullptr;
};

class CPageColorMap final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageColorMap(CSettingsSheet& sheet);

    QTreeWidget* Combinations() const { return list_; }

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    void FillList();
    void PaintSamples();
    void ShowSelected();
    // Maps the selected combinations to what the "Mapped to:" controls show.
    void MapSelected();
    void ClearAll();
    ColourMapEntry ColoursOf(int combination) const;
    // Which attribute bits (bold 1, underline 2, blink 4, inverse 8) the list varies.
    int CheckedBits() const;

    std::array<QCheckBox*, 4> attributes_{};
    QTreeWidget* list_;
    QSlider* foreground_;
    QSlider* background_;
    QCheckBox* showAttribute_;
};

class CPagePalette final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPagePalette(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    void SelectColour(int index);
    void ColourEdited();
    void RestoreDefaults();
    void ShowColours();

    std::array<uint8_t, 64> palette_{};
    int selected_ = 0;
    std::array<QPushButton*, 16> swatches_{};
    std::array<QSlider*, 3> sliders_{};
    std::array<QSpinBox*, 3> fields_{};
    QLabel* index_;
};

class CPageTrans final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageTrans(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    // "Address Book...": an entry chosen with Connect fills the page.
    void UseAddressBook();

    QComboBox* type_;
    QStackedWidget* fields_;
    QLineEdit* host_;
    QComboBox* port_;
    QLineEdit* proxy_;
    QComboBox* proxyPort_;
    QComboBox* commPort_;
    QComboBox* baudRate_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
    QComboBox* flowControl_;
    QComboBox* modem_;
    QLineEdit* number_;
    QLineEdit* shellCommand_;
    QComboBox* sshHost_;
    QComboBox* sshPort_;
    QLineEdit* sshUser_;
    int32_t loadedHostType_ = 0;
};

class CPageButtons final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageButtons(CSettingsSheet& sheet);

protected:
    bool Exchange(ExchangeDirection direction) override;

private:
    void ShowButton(int index);
    void SetButton();
    void FillList();

    QListWidget* list_;
    QLineEdit* caption_;
    QComboBox* action_;
    QLineEdit* text_;
};

class CPageXfer final : public CSettingsPage {
    Q_OBJECT
public:
    explicit CPageXfer(CSettingsSheet& sheet);
};

} // namespace tamsivane
