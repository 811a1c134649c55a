// Shared test support lives beside this file; the library needs at least one source.
