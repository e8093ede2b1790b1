"""PURPOSE: check-disc's walk-through: the plans written from the manifest,
the layout check, the runs of the walk-through program under Wine, the report."""
