// A named copy of some of a node's fields, made from a field list of (type, name) entries: the
// copy's members, the copy out of a node and the copy back (with `copy` and `node` in scope).
// A refresh under differencing is undone through such a copy of just the fields it writes.
#pragma once

#define VASQUIL_NODE_COPY_MEMBER(type, name) type name;
#define VASQUIL_NODE_COPY_OUT(type, name) copy->name = node->name;
#define VASQUIL_NODE_COPY_IN(type, name) node->name = copy->name;
