"""PURPOSE: what a Windows ANSI code page can write, asked in one place by
the checks, the disc's files and the walk-through's plan."""


def encoding(code_page):
    """Python's name for the code page's encoding."""
    return f"cp{code_page}"


def encodes(text, code_page):
    """Whether the code page writes every character of text (an unknown code
    page raises LookupError, which its own check reports)."""
    try:
        text.encode(encoding(code_page))
        return True
    except UnicodeEncodeError:
        return False


def unwritable_characters(texts, code_page):
    """The characters of texts that the code page lacks, each once, in the
    order they first come."""
    seen = []
    for text in texts:
        for ch in text:
            if ch not in seen and not encodes(ch, code_page):
                seen.append(ch)
    return seen
