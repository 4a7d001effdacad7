// What a drag from the desktop's file manager carries, for the two panes that accept drops.
#pragma once

#include <QStringList>

class QDropEvent;
class QMimeData;

// The local files and folders a drag carries, or nothing when it carries anything else.
QStringList LocalFiles(const QMimeData* data);

// Accepts a drag or a drop that carries local files and ignores any other; returns the files.
QStringList AcceptLocalFiles(QDropEvent* event);
