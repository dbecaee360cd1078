# The alarm record, the alarm file and the alarm windows.
