"""The disc authoring kit: one manifest (disc.toml) in, one disc out.

disc.toml is read and validated once into a Disc (reader, validation); the
writers (resource script, pictures, disc folder, walk-through plan, preview)
take only the Disc. scripts/make-disc drives them.
"""
