// ForeFlight files: made by hand with openssl, written and read back.
