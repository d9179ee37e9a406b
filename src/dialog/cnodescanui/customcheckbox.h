#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class QSvgRenderer;

// The header's select-all box, painted from the same check-mark images as the rows.
class CustomCheckBox final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CustomCheckBox)

public:
    explicit CustomCheckBox(QWidget *parent = nullptr);

    bool isChecked() const { return m_checked; }
    // No signal: the owner mirrors a state it already knows.
    void setChecked(bool checked);
    QString text() const { return m_text; }
    void setText(const QString &text);
    void setFontPixelSize(int px);
    void setIconRect(int x, int y, int size);

signals:
    void stateChanged(bool checked);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    bool m_checked = false;
    QSvgRenderer *m_checkedImage = nullptr;
    QSvgRenderer *m_normalImage = nullptr;
    QString m_text;
    QRect m_iconRect{0, 5, 16, 16};
};
