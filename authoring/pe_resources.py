"""Reads the resources of a Windows program: {(type, name, language): bytes},
types and names as numbers or upper-case strings, as the system looks them up."""
from authoring.pe_image import PeImage


def sections(data):
    """(name, virtual address, virtual size, file offset, size in the file)
    of each section of the program's bytes."""
    for s in PeImage(data).sections:
        yield s.name, s.virtual_address, s.virtual_size, s.raw_offset, s.raw_size


def read_resources(path):
    image = PeImage.read(path)

    def upper(label):
        return label.upper() if isinstance(label, str) else label

    return {tuple(map(upper, key)): image.resource_data(entry)
            for key, entry in image.resource_entries().items()}
