// The keys a checkable tree list lets through to its tree view: Up, Down, Tab and
// space. Every other key is swallowed, so typing never starts the view's search.
#pragma once

bool ListKeyReachesTree(unsigned keyval);
bool ListKeyIsSpace(unsigned keyval);
