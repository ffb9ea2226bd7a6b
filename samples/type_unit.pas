unit Sample;
interface
implementation
end.
