#pragma once

#include <QObject>

#include <functional>

class QAbstractItemView;

// A short grey hint painted in an empty list: what the list is for and how
// to fill it. Not an entry of the list, so nothing can select or add it.
class TEmptyHint final : public QObject
{
    Q_OBJECT
public:
    // text is asked afresh at every paint; an empty text paints nothing.
    static TEmptyHint* Install(QAbstractItemView* view, std::function<QString()> text);

    // The text as it would be painted now (whether or not the list is empty).
    QString Text() const { return m_text(); }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TEmptyHint(QAbstractItemView* view, std::function<QString()> text);

    QAbstractItemView* m_view;
    std::function<QString()> m_text;
};
