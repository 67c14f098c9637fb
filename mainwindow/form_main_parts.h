#pragma once
// What the main window's source files share and nothing outside them needs.

#include <QString>

inline const QString kCaptionConfirm = QStringLiteral("Подтверждение");

// The tabs of PageControl1, in order.
enum Page { kPageList = 0, kPageTable, kPageTableTP, kPageParam, kPageGraf };
