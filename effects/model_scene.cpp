// placeholder: filled in by the effects work
