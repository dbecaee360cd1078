# The settings file and the options dialog.
