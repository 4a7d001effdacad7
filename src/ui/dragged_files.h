// What a drag from the desktop's file manager carries, for the two panes that accept drops.
#pragma once

#include <QStringList>

class QMimeData;

// The local files and folders a drag carries, or nothing when it carries anything else.
QStringList LocalFiles(const QMimeData* data);
