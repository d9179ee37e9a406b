#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include "model/cnodelistmodel.h"
#include "model/sdeviceinfo.h"

class QComboBox;
class QLabel;
class QPushButton;
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

    // The filter boxes hold values (type, mode, version) under their names in lang.
    void setFilterItems(const QString &lang, const QStringList &versions);
    // Selects the filter's values; a version no longer listed falls back to "all".
    void setCurrentFilters(const sNodeFilter &filter);
    // After a change of `changed`, the two other boxes go back to "all" and the count to none.
    void resetOtherBoxes(Box changed);
    void setSelectedCount(int count);
    void setScrollBarAllowance(int pixels);

    int currentType() const;
    int currentMode() const;     // -1 for all modes
    QString currentVersion() const; // null for all versions
    int scrollBarAllowance() const { return m_scrollAllowance; }
    QString ipTitleText() const;

    CustomCheckBox *selectAllBox() const { return m_selectAll; }
    QComboBox *typeBox() const { return m_typeBox; }
    QComboBox *modeBox() const { return m_modeBox; }
    QComboBox *versionBox() const { return m_versionBox; }

    // Arrow of the sorted column.
    void setSortIndicator(ENodeColumn column, Qt::SortOrder order);
    QPushButton *sortButton(ENodeColumn column) const;

signals:
    void sigTypeIndexChanged(ENodeType type);
    void sigModelIndexChanged();
    void sigVersionIndexChanged();
    void sigStateChanged(int state);
    void sigSortClicked(ENodeColumn column);

public slots:
    void ChangeLangue(const QString &toLang);
    void allSelectState(bool state);
    void allSelectStateChange(bool state);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void layoutColumns();
    void updateCountText();
    QLabel *makeTitle();
    QComboBox *makeBox();
    QPushButton *makeSortButton(ENodeColumn column);
    QString titleText(ENodeColumn column, const QString &text) const;

    CustomCheckBox *m_selectAll = nullptr;
    QLabel *m_nameTitle = nullptr;
    QLabel *m_signalTitle = nullptr;
    QLabel *m_firmware1Title = nullptr;
    QLabel *m_firmware2Title = nullptr;
    QLabel *m_ipTitle = nullptr;
    QComboBox *m_typeBox = nullptr;
    QComboBox *m_modeBox = nullptr;
    QComboBox *m_versionBox = nullptr;
    QPushButton *m_sortType = nullptr;
    QPushButton *m_sortVersion = nullptr;
    QPushButton *m_sortMode = nullptr;
    ENodeColumn m_sortColumn = ENodeColumn::Ip;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    int m_selectedCount = 0;
    int m_scrollAllowance = 0;
    QString m_lang;
};
