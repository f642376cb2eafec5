#pragma once

/// Unless -s: asks for a key (unless -u; Esc aborts with nothing changed), then renames
/// every job's file in two passes, old name to temporary name, then temporary name to
/// final name, reporting each pass. Nothing is retried and nothing is moved back. With -f
/// there is one pass only: each file from its temporary name to its final name.
void confirm_and_rename();
