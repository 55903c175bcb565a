// The reader's entries for a host: the plug-in's Import walks the host's file list through them,
// and a program that links the reader itself (the orva_reader library) calls them directly. Each
// file goes to the receiver exactly as the plug-in's Import sends it. Nothing thrown inside leaves
// an entry; every pointer is borrowed for the call.
#pragma once

#include "parser/ReadObserver.h"
#include "plugin/ByteSource.h"
#include "plugin/HostInterfaces.h"

#include <string>

// Imports every file of the list into the receiver, in list order; returns at once when either
// is null.
void Import(IImportFileList* files, IGroundDataReceiver* receiver) noexcept;

// One file, from BeginFile to the last message; an empty path is a file that cannot be opened.
// The observer, when there is one, is told what the reading saw.
void ImportFile(const std::wstring& path, IGroundDataReceiver* receiver,
                IReadObserver* observer = nullptr) noexcept;

// One file from bytes the caller supplies, read as the bytes of a file at shownPath are read:
// byte-order marks, Ctrl-Z, the thread's code page, progress by lines, a source that cannot be
// rewound held whole. shownPath is only what BeginFile tells the receiver; a null source is a
// file that cannot be opened. The source is read from where it stands and only during the call.
// Returns at once when the receiver is null.
void ImportSource(const std::wstring& shownPath, IByteSource* source, IGroundDataReceiver* receiver,
                  IReadObserver* observer = nullptr) noexcept;
