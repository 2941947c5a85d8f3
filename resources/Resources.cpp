// The library carries only compiled-in resources (the application icon).
