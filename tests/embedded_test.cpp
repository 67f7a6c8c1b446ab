// placeholder: filled in by the assets work
