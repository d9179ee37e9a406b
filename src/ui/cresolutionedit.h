#pragma once

#include <QLineEdit>

class QLabel;

// Width "*" height entry; corrects each side when its editing is finished.
class CResolutionEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CResolutionEdit)

public:
    static constexpr int kMinWidth = 720;
    static constexpr int kMinHeight = 480;

    explicit CResolutionEdit(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    QLineEdit *widthEdit() const { return m_width; }
    QLineEdit *heightEdit() const { return m_height; }

    static int correctedWidth(int width);
    static int correctedHeight(int height);

public slots:
    void positionWFinished();
    void positionHFinished();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLineEdit *m_width = nullptr;
    QLineEdit *m_height = nullptr;
    QLabel *m_times = nullptr;
    QLabel *m_tail = nullptr;
};
