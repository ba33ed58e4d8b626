// Skinned label: its own face, height, weight and text colour, drawn on a transparent or
// filled background.
#pragma once

#include "ui/skin_settings.h"

#include <QLabel>

namespace cpe {

class CTStatic : public QLabel {
    Q_OBJECT
public:
    explicit CTStatic(QWidget* parent = nullptr);

    void ApplyStaticStyle(const QString& face, ColorRef textColor, ColorRef bkColor, int weight, int height);
    void SetStaticFont(const QString& face, int height, int weight);

    ColorRef m_crText = Rgb(0, 0, 0);
    ColorRef m_crBk = Rgb(255, 255, 255);
    bool m_bTransparent = true;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_strFace = QStringLiteral("Arial");
    int m_nHeight = 16;
    int m_nWeight = 0;
};

}  // namespace cpe
