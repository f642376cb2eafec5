#pragma once

// Why an operation on a file failed, in the terms a user can act on: the one neutral result
// each platform maps its system errors into, at the boundary.

/// Why an operation on a file failed, as far as the user can act on it.
enum class file_failure {
  none,          ///< it did not fail
  name_taken,    ///< the new name exists already
  gone,          ///< the file or its folder is not there
  no_permission, ///< the system refuses it to this user
  read_only,     ///< the medium is read-only
  in_use,        ///< another program holds the file
  not_as_listed, ///< the name no longer holds what its listing found: it was left alone
  other
};

/// The failure a system error code stands for: errno on POSIX, GetLastError() on Windows.
file_failure failure_of_system_error(unsigned long code);
