// Placeholder until the modal loop lands.
