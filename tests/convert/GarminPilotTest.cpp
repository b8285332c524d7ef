// Garmin Pilot files: packed by hand with tar, written and read back.
