// Cells of the grid control: the ordinary text cell, the default cells that supply the colours,
// font, format and margin of cells that set none, and the check-box cell.
#pragma once

#include "ui/skin_settings.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <optional>

class QPainter;

namespace cpe {

class CGridCtrl;

// Cell state flags.
enum : unsigned {
    kCellFocused = 0x01,
    kCellSelected = 0x02,
    kCellDropHighlighted = 0x04,
    kCellReadOnly = 0x08,
    kCellFixed = 0x10,
    kCellFixedRow = 0x20,
    kCellFixedCol = 0x40,
    kCellModified = 0x80,
};

// Text format flags, in the values of the Windows text drawing call the pages pass.
enum : unsigned {
    DT_LEFT = 0x0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_NOPREFIX = 0x800,
};

// "Use the default cell's colour".
constexpr ColorRef CLR_DEFAULT = 0xFF000000u;
// Between a cell's image and its text.
constexpr int kCellImageGap = 2;

class CGridCellBase {
public:
    virtual ~CGridCellBase() = default;

    virtual void SetText(const QString& text) { m_strText = text; }
    virtual void SetImage(int image) { m_nImage = image; }
    virtual void SetState(unsigned state) { m_nState = state; }
    virtual void SetFormat(unsigned format) { m_nFormat = format; }
    virtual void SetTextClr(ColorRef c) { m_crText = c; }
    virtual void SetBackClr(ColorRef c) { m_crBk = c; }
    virtual void SetFont(const QFont& font) { m_font = font; }
    void SetGrid(CGridCtrl* grid) { m_pGrid = grid; }

    const QString& GetText() const { return m_strText; }
    int GetImage() const { return m_nImage; }
    unsigned GetState() const { return m_nState; }
    virtual unsigned GetFormat() const;
    virtual ColorRef GetTextClr() const { return m_crText; }
    virtual ColorRef GetBackClr() const { return m_crBk; }
    virtual const QFont& GetFont() const;
    virtual int GetMargin() const;

    bool IsFocused() const { return m_nState & kCellFocused; }
    bool IsSelected() const { return m_nState & kCellSelected; }
    bool IsDropHighlighted() const { return m_nState & kCellDropHighlighted; }
    bool IsReadOnly() const { return m_nState & kCellReadOnly; }
    bool IsFixed() const { return m_nState & kCellFixed; }
    bool IsFixedRow() const { return m_nState & kCellFixedRow; }
    bool IsFixedCol() const { return m_nState & kCellFixedCol; }
    bool IsModified() const { return m_nState & kCellModified; }

    // Copies text, image, colours, font, format, margin and state.
    void CopyFrom(const CGridCellBase& other);

    // Paints the cell into `rect`; `row`/`col` tell the grid where it stands.
    virtual void Draw(QPainter& p, int row, int col, const QRect& rect);
    // The room the text is drawn in: the text rectangle less the sort mark of a header cell.
    QRect TextRoom(int row, int col, const QRect& cellRect) const;
    // The text as drawn in `room`: whole, or, on a single line that does not fit, shortened to
    // end in "…" (the grid's title tip then shows it whole).
    QString ShownText(const QRect& room) const;
    // The part of the cell rectangle the text is drawn in.
    virtual QRect GetTextRect(const QRect& cellRect) const;
    virtual QSize GetTextExtent(const QString& text) const;
    virtual QSize GetCellExtent() const;
    // A left click released on the cell.
    virtual void OnClick(QPoint cellPos) { (void)cellPos; }
    virtual bool ValidateEdit(const QString& text) {
        (void)text;
        return true;
    }

protected:
    const CGridCellBase* DefaultCell() const;

    CGridCtrl* m_pGrid = nullptr;
    QString m_strText;
    int m_nImage = -1;
    unsigned m_nState = 0;
    std::optional<unsigned> m_nFormat;
    ColorRef m_crText = CLR_DEFAULT;
    ColorRef m_crBk = CLR_DEFAULT;
    std::optional<QFont> m_font;
    int m_nMargin = -1;
    QRect m_lastDrawn;

private:
    // Side of the header's sort-direction triangle in a cell drawn at `cellRect`, 0 elsewhere.
    int SortMarkSize(int row, int col, const QRect& cellRect) const;
};

class CGridCell : public CGridCellBase {};

// Supplies the look of the cells of one kind (ordinary, fixed row, fixed column, corner).
class CGridDefaultCell : public CGridCell {
public:
    CGridDefaultCell();
    unsigned GetFormat() const override { return m_nFormat.value_or(0); }
    const QFont& GetFont() const override { return *m_font; }
    int GetMargin() const override { return m_nMargin; }
    QSize m_defaultSize{60, 22};
};

class CGridCellCheck : public CGridCell {
public:
    void Draw(QPainter& p, int row, int col, const QRect& rect) override;
    QRect GetTextRect(const QRect& cellRect) const override;
    QSize GetCellExtent() const override;
    void OnClick(QPoint cellPos) override;

    void SetCheck(bool checked);
    bool GetCheck() const { return m_bChecked; }
    // The check box square inside a cell drawn at `cellRect`.
    QRect CheckBoxRect(const QRect& cellRect) const;

private:
    int BoxSide() const;
    bool m_bChecked = false;
};

}  // namespace cpe
