#pragma once

#include <QList>
#include <QVector>

#include "model/sdeviceinfo.h"
#include "ui/ccustomdialog.h"

class CBanWheelComboBox;
class CNodeListModel;
class CustomCheckBox;
class QComboBox;
class QTableWidget;

// Sets the display mode of many decoders at once: tick rows (optionally filtered
// by their current mode), pick the new mode, OK writes it into the model.
class CModelSwitch final : public CCustomDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CModelSwitch)

public:
    CModelSwitch(CNodeListModel *model, QWidget *parent = nullptr);

    // The records switched by OK, in list order.
    QList<sDecoderInfo> resultList() const { return m_result; }

    // -1 shows every mode; 0..2 one mode (2 takes any higher mode too).
    void fillTable(int mode);
    static QString modeText(int mode);

    QTableWidget *table() const { return m_table; }
    CustomCheckBox *headerBox() const { return m_headerBox; }
    QComboBox *filterBox() const;
    QComboBox *targetBox() const;
    CustomCheckBox *rowBox(int row) const;
    // Records in display order with their tick state.
    const QVector<sDecoderInfo> &decoderList() const { return m_decoders; }

public slots:
    void SelectAll(bool state);
    void onOkClicked() override;
    void onCancelClicked() override;

private:
    void onRowTicked(int row, bool state);
    void updateHeader();

    CNodeListModel *m_model = nullptr;
    QVector<sDecoderInfo> m_decoders;
    QVector<int> m_rowRecord; // table row -> index into m_decoders
    int m_modeCount[3] = {0, 0, 0};
    QList<sDecoderInfo> m_result;
    CustomCheckBox *m_headerBox = nullptr;
    CBanWheelComboBox *m_filter = nullptr;
    QTableWidget *m_table = nullptr;
    CBanWheelComboBox *m_target = nullptr;
};
