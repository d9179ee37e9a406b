#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "model/sdeviceinfo.h"

class QComboBox;
class QLabel;
class CustomCheckBox;

// The node table's header row: select-all box with the selected count, the column
// titles and the type, mode and version filter boxes, laid out above the row columns.
class CNodeHeaderView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNodeHeaderView)

public:
    static constexpr int HeaderHeight = 44;
    static constexpr int LeftMargin = 24;
    static constexpr int RightMargin = 24;
    static constexpr int FirstColumnWidth = 100;
    static constexpr int ColumnGap = 10;

    enum class Box { Type, Mode, Version };

    explicit CNodeHeaderView(QWidget *parent = nullptr);

    void setTypeItems(const QStringList &items);
    void setModeItems(const QStringList &items);
    void setVersionItems(const QStringList &items);
    // Type by index, mode and version by text.
    void setCurrentFilters(int typeIndex, const QString &modeText, const QString &versionText);
    // After a change of `changed`, the two other boxes go back to "all" and the count to none.
    void resetOtherBoxes(Box changed);
    void setSelectedCount(int count);
    void setScrollBarAllowance(int pixels);

    QString currentModeText() const;
    QString currentVersionText() const;
    int currentTypeIndex() const;
    int scrollBarAllowance() const { return m_scrollAllowance; }
    QString ipTitleText() const;

    CustomCheckBox *selectAllBox() const { return m_selectAll; }
    QComboBox *typeBox() const { return m_typeBox; }
    QComboBox *modeBox() const { return m_modeBox; }
    QComboBox *versionBox() const { return m_versionBox; }

    // "所有类型"/"All Types" 0, "解码节点"/"Decoder" 1, "编码节点"/"Encoder" 2, else 0.
    static ENodeType typeForText(const QString &text);

signals:
    void sigTypeIndexChanged(ENodeType type);
    void sigModelIndexChanged();
    void sigVersionIndexChanged();
    void sigStateChanged(int state);

public slots:
    void ChangeLangue(const QString &toLang);
    void allSelectState(bool state);
    void allSelectStateChange(bool state);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutColumns();
    void updateCountText();
    QLabel *makeTitle();
    QComboBox *makeBox();
    static void setItems(QComboBox *box, const QStringList &items);

    CustomCheckBox *m_selectAll = nullptr;
    QLabel *m_nameTitle = nullptr;
    QLabel *m_signalTitle = nullptr;
    QLabel *m_firmware1Title = nullptr;
    QLabel *m_firmware2Title = nullptr;
    QLabel *m_ipTitle = nullptr;
    QComboBox *m_typeBox = nullptr;
    QComboBox *m_modeBox = nullptr;
    QComboBox *m_versionBox = nullptr;
    int m_selectedCount = 0;
    int m_scrollAllowance = 0;
    QString m_lang;
};
