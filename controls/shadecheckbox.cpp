#include "controls/shadecheckbox.h"

#include <QKeyEvent>
#include <QMouseEvent>

CShadeCheckBox::CShadeCheckBox(QWidget* parent) : CShadeButton(parent) {
    m_nKind = 1;
}

bool CShadeCheckBox::event(QEvent* event) {
    // The caption's mnemonic is a click: a press and a release inside.
    if (event->type() == QEvent::Shortcut) {
        setFocus(Qt::ShortcutFocusReason);
        Toggle();
        m_bPressed = 0;
        RepaintIndicator();
        return true;
    }
    return CShadeButton::event(event);
}

void CShadeCheckBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_bPressed = 1;
    setFocus(Qt::MouseFocusReason);
    RepaintIndicator();
}

void CShadeCheckBox::mouseMoveEvent(QMouseEvent* event) {
    // The pointer is followed only while the left button that went down here is held.
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    const int inside = rect().contains(event->position().toPoint()) ? 1 : 0;
    if (inside != m_bPressed) {
        m_bPressed = inside;
        RepaintIndicator();
    }
}

void CShadeCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (rect().contains(event->position().toPoint())) {
        Toggle();
    }
    m_bPressed = 0;
    RepaintIndicator();
}

void CShadeCheckBox::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void CShadeCheckBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!m_bPressed) {
        m_bPressed = 1;
        RepaintIndicator();
    }
}

void CShadeCheckBox::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    // A held key repeats as press and release pairs; only the real release counts.
    if (event->isAutoRepeat()) {
        return;
    }
    m_bPressed = 0;
    Toggle();
    RepaintIndicator();
}

void CShadeCheckBox::Toggle() {
    m_nCheck = m_nCheck == 0 ? 1 : 0;
    emit clicked();
}
